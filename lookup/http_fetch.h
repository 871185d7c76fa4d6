// HttpFetch: the one routine through which the lyrics lookup reads web pages. One HTTP/1.1
// request with the program's fixed browser headers; every cookie the answer sets goes into
// the process's cookie store for the host, so later requests carry it. The portable half
// (address splitting, header block, cookie lines, limits) lives here; the transport is
// WinINet on Windows and libcurl on Linux.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lookup {

// The parts of an address, derived on every call.
struct AddressParts {
  bool secure = false;       // the address begins with "https://"
  std::string host;          // without port, lower-case: the connection and cookie host
  std::string hostWithPort;  // lower-case; only read for the port
  std::int32_t port = 80;    // 80 (443 when secure) when the address names none
  std::string objectPath;    // from the first "/" after the host, query included; "/" if none
};

// Splits an absolute address: "http://" or "https://", host, optional ":port", optional path
// and query. An address without a scheme is read host-first: everything up to the first "/"
// is the host.
AddressParts splitAddress(const std::string& url);

// The port to connect to: the number as a 16-bit port, where 0 stands for the scheme's
// default (80, or 443 when secure).
std::uint16_t connectionPort(const AddressParts& parts);

// The address the cookie store files a host's cookies under: scheme, "://" and the host.
std::string cookieAddress(const AddressParts& parts);

enum class Method { get, post, unsupported };

// Empty or "GET" (any case) is GET, "POST" (any case) is POST; anything else is refused.
Method methodOf(const std::string& method);

// The request header block: the caller's lines, then Accept, Referer (the address exactly as
// given) and Accept-Language unless the caller's block already names them (ignoring case).
std::string defaultHeaderBlock(const std::string& callerHeaders, const std::string& url);

// The lines a POST adds to the block: Content-Type (unless present) and Content-Length, both
// only when there is a body.
std::string postHeaderBlock(const std::string& block, const std::string& body);

// One cookie from a "Set-Cookie: " line: the name before the first "=" and everything after
// it, attributes included.
struct CookieLine {
  std::string name;
  std::string data;
  bool operator==(const CookieLine& o) const { return name == o.name && data == o.data; }
};

// The cookies of a raw header text (status line and header lines, CR LF separated), in
// order, whatever its length.
std::vector<CookieLine> cookieLines(const std::string& rawHeaders);

// The user agent every request presents.
extern const char kUserAgent[];

// Bounds of one fetch. Past any of them the fetch ends with the failure value.
struct FetchLimits {
  std::chrono::milliseconds connectTimeout{30000};  // to set up the connection
  std::chrono::milliseconds receiveTimeout{30000};  // longest silence while waiting for data
  std::chrono::milliseconds totalTimeout{120000};   // the whole fetch, however it trickles
  std::size_t maxBody = 32u << 20;                  // body bytes
};

// The limits of HttpFetch calls that pass none; settable for the whole process.
FetchLimits defaultFetchLimits();
void setDefaultFetchLimits(const FetchLimits& limits);

enum class FetchOutcome {
  complete,     // the whole answer was read and its status is 2xx
  httpError,    // the whole answer was read, but its status is not 2xx (a 404 page, a 403
                // refusal): the body is kept, yet it is no page of results
  interrupted,  // sending or reading failed; the body holds what arrived (often nothing)
  timedOut,     // a time limit passed: failure value
  tooLarge,     // the body passed its limit: failure value
  failed,       // the request could not be made (bad method, no platform handle): failure value
};

struct FetchResult {
  FetchOutcome outcome = FetchOutcome::failed;
  int status = 0;  // the final answer's HTTP status (after redirects); 0 when none arrived
  std::vector<std::uint8_t> body;
};

// Why a fetch gave no page, for messages: "" for complete.
std::string outcomeReason(FetchOutcome outcome, int status);

// The failure value: 255 zero bytes, which read as the empty text.
std::vector<std::uint8_t> fetchFailureValue();

// A body as text: its bytes up to the first zero byte.
std::string bodyText(const std::vector<std::uint8_t>& body);

struct FetchRequest {
  std::string url;
  std::string method;   // "", "GET" or "POST" in any case; sent as given
  std::string proxy;    // HTTP proxy, "host:port"; empty for a direct connection
  std::string headers;  // extra header lines, each ending in CR LF; a User-Agent line among
                        // them replaces kUserAgent
  std::string body;     // the body of a POST
};

// One request, bounded by `limits`, with the outcome told apart.
FetchResult fetchUrl(const FetchRequest& request, const FetchLimits& limits);

// One request with the default limits; the body (whatever the status), or the failure value.
std::vector<std::uint8_t> HttpFetch(const std::string& url, const std::string& method = "",
                                    const std::string& proxy = "", const std::string& headers = "",
                                    const std::string& body = "");

}  // namespace lookup
