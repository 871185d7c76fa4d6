// The portable half of HttpFetch: address splitting, the header block, the cookie step and
// the limits. The platform transport does the request itself.
#include "lookup/http_fetch.h"

#include <mutex>

#include "lookup/http_transport.h"
#include "lookup/text_search.h"

namespace lookup {

const char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

namespace {

const char kHttpScheme[] = "http://";
const char kHttpsScheme[] = "https://";

const char kAcceptLine[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
    "application/x-shockwave-flash, application/vnd.ms-excel, application/vnd.ms-powerpoint, "
    "application/msword, */*\r\n";

const char kSetCookie[] = "Set-Cookie: ";
constexpr std::size_t kSetCookieLength = sizeof kSetCookie - 1;

constexpr std::size_t kFailureValueSize = 255;

// The text after a port colon read as a decimal number: leading blanks, an optional sign,
// then digits; anything else ends the number ("8080abc" is 8080, "" is 0). Saturates
// instead of overflowing.
std::int32_t readPort(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT32_MAX) value = INT32_MAX;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

bool isLineEnd(char c) { return c == '\n' || c == '\0' || c == '\x1A'; }

std::mutex& limitsMutex() {
  static std::mutex m;
  return m;
}

FetchLimits& sharedLimits() {
  static FetchLimits limits;
  return limits;
}

// Takes the caller's User-Agent line (any case) out of a header block: the agent is not a
// header line to WinINet but an argument of InternetOpenA, so both transports take it apart.
std::string takeUserAgent(std::string& block, const std::string& fallback) {
  static const char kName[] = "user-agent:";
  std::string agent = fallback;
  std::string rest;
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find("\r\n", start);
    end = end == std::string::npos ? block.size() : end + 2;
    const std::string line = block.substr(start, end - start);
    if (lowerAscii(line.substr(0, sizeof kName - 1)) == kName) {
      const std::size_t value = line.find_first_not_of(' ', sizeof kName - 1);
      agent = value == std::string::npos ? "" : line.substr(value);
      while (!agent.empty() && (agent.back() == '\n' || agent.back() == '\r')) agent.pop_back();
    } else {
      rest += line;
    }
    start = end;
  }
  block = rest;
  return agent;
}

}  // namespace

AddressParts splitAddress(const std::string& url) {
  AddressParts parts;
  std::size_t hostStart = 0;
  if (url.compare(0, sizeof kHttpsScheme - 1, kHttpsScheme) == 0) {
    parts.secure = true;
    hostStart = sizeof kHttpsScheme - 1;
  } else {
    const std::size_t scheme = findLocal(url, kHttpScheme);
    if (scheme != std::string::npos) hostStart = scheme + sizeof kHttpScheme - 1;
  }
  const std::size_t hostEnd = findLocal(url, "/", hostStart);
  const std::string hostText =
      url.substr(hostStart, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostStart);
  const std::size_t colon = findLocal(hostText, ":");
  parts.hostWithPort = lowerAscii(hostText);
  parts.host = lowerAscii(hostText.substr(0, colon));
  parts.port =
      colon == std::string::npos ? (parts.secure ? 443 : 80) : readPort(hostText.substr(colon + 1));
  // The path is whatever follows the host. (Looking the host up again from the start of the
  // address would find it inside the scheme for hosts such as "p" or "http".)
  parts.objectPath = hostEnd == std::string::npos ? "/" : url.substr(hostEnd);
  return parts;
}

std::uint16_t connectionPort(const AddressParts& parts) {
  // The platform takes a 16-bit port; 0 there means the scheme's default.
  const auto port = static_cast<std::uint16_t>(parts.port);
  if (port == 0) return parts.secure ? 443 : 80;
  return port;
}

std::string cookieAddress(const AddressParts& parts) {
  return (parts.secure ? kHttpsScheme : kHttpScheme) + parts.host;
}

Method methodOf(const std::string& method) {
  const std::string lower = lowerAscii(method);
  if (lower.empty() || lower == "get") return Method::get;
  if (lower == "post") return Method::post;
  return Method::unsupported;
}

std::string defaultHeaderBlock(const std::string& callerHeaders, const std::string& url) {
  std::string block = callerHeaders;
  if (!containsLocal(block, "Accept: ", true)) block += kAcceptLine;
  if (!containsLocal(block, "Referer: ", true)) block += "Referer: " + url + "\r\n";
  if (!containsLocal(block, "Accept-Language: ", true)) block += "Accept-Language: zh-cn\r\n";
  return block;
}

std::string postHeaderBlock(const std::string& block, const std::string& body) {
  if (body.empty()) return block;
  std::string out = block;
  if (!containsLocal(out, "Content-Type: ", true))
    out += "Content-Type: application/x-www-form-urlencoded\r\n";
  out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return out;
}

std::vector<CookieLine> cookieLines(const std::string& rawHeaders) {
  std::vector<CookieLine> cookies;
  if (!containsLocal(rawHeaders, kSetCookie, true)) return cookies;
  std::size_t start = 0;
  while (start < rawHeaders.size()) {
    std::size_t end = start;
    while (end < rawHeaders.size() && !isLineEnd(rawHeaders[end])) ++end;
    std::string line = rawHeaders.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!containsLocal(line, kSetCookie, true)) continue;
    // The name starts where "Set-Cookie: " would end at the head of the line.
    const std::string rest = line.size() > kSetCookieLength ? line.substr(kSetCookieLength) : "";
    const std::size_t eq = rest.find('=');
    if (eq == std::string::npos)
      cookies.push_back({"", rest});
    else
      cookies.push_back({rest.substr(0, eq), rest.substr(eq + 1)});
  }
  return cookies;
}

FetchLimits defaultFetchLimits() {
  std::lock_guard<std::mutex> lock(limitsMutex());
  return sharedLimits();
}

void setDefaultFetchLimits(const FetchLimits& limits) {
  std::lock_guard<std::mutex> lock(limitsMutex());
  sharedLimits() = limits;
}

std::vector<std::uint8_t> fetchFailureValue() {
  return std::vector<std::uint8_t>(kFailureValueSize, 0);
}

std::string outcomeReason(FetchOutcome outcome, int status) {
  switch (outcome) {
    case FetchOutcome::complete:
      return "";
    case FetchOutcome::httpError:
      return "the server answered with HTTP status " + std::to_string(status);
    case FetchOutcome::interrupted:
      return "the connection failed or broke off";
    case FetchOutcome::timedOut:
      return "no answer in time";
    case FetchOutcome::tooLarge:
      return "the answer is larger than a result page can be";
    case FetchOutcome::failed:
      return "the request could not be made";
  }
  return "";
}

std::string bodyText(const std::vector<std::uint8_t>& body) {
  std::size_t n = 0;
  while (n < body.size() && body[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(body.data()), n);
}

FetchResult fetchUrl(const FetchRequest& request, const FetchLimits& limits) {
  transport::Request t;
  t.address = splitAddress(request.url);
  t.url = request.url;
  t.verb = request.method;
  t.method = methodOf(request.method);
  t.proxy = request.proxy;
  std::string callerHeaders = request.headers;
  t.userAgent = takeUserAgent(callerHeaders, kUserAgent);
  t.headerBlock = defaultHeaderBlock(callerHeaders, request.url);
  if (t.method == Method::post) {
    t.headerBlock = postHeaderBlock(t.headerBlock, request.body);
    t.body = request.body;
  }
  t.limits = limits;

  transport::Response response = transport::send(t);
  switch (response.result.outcome) {
    case FetchOutcome::complete:
    case FetchOutcome::httpError:
    case FetchOutcome::interrupted:
      break;
    case FetchOutcome::timedOut:
    case FetchOutcome::tooLarge:
    case FetchOutcome::failed:
      response.result.body = fetchFailureValue();
      return response.result;
  }

  const std::string address = cookieAddress(t.address);
  for (const CookieLine& cookie : cookieLines(response.rawHeaders)) {
    transport::storeCookie(address, cookie.name, cookie.data);
    transport::processPendingMessages();
  }
  // An error page is read whole (its cookies count), but it is no answer to the request.
  const int status = response.result.status;
  if (response.result.outcome == FetchOutcome::complete && (status < 200 || status > 299))
    response.result.outcome = FetchOutcome::httpError;
  return response.result;
}

std::vector<std::uint8_t> HttpFetch(const std::string& url, const std::string& method,
                                    const std::string& proxy, const std::string& headers,
                                    const std::string& body) {
  return fetchUrl({url, method, proxy, headers, body}, defaultFetchLimits()).body;
}

}  // namespace lookup
