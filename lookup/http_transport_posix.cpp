// HttpFetch over libcurl. It sends what the WinINet build sends: the request line with the
// object path as given (spaces escaped, as WinINet escapes them), Host, the agent, the
// header block in its order, then the Cookie line from the process's cookie store. The
// cookie step of the portable half feeds that store, since libcurl's own cookie engine
// stays off. Only http and https are spoken, redirects are followed as WinINet follows
// them, and no proxy is used unless the caller names one (never one from the environment).
#include <curl/curl.h>

#include <chrono>
#include <mutex>

#include "lookup/cookie_jar.h"
#include "lookup/http_transport.h"
#include "lookup/text_search.h"

namespace lookup::transport {

namespace {

constexpr long kMaxRedirects = 20;

void initCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

using Clock = std::chrono::steady_clock;

struct Transfer {
  std::vector<std::uint8_t> body;
  std::string rawHeaders;
  std::size_t maxBody = 0;
  bool tooLarge = false;
  // The receive time-out: the longest silence allowed once connected. libcurl's own
  // low-speed check averages over several seconds, so a body that stalls after a burst
  // would run on long past it.
  std::chrono::milliseconds receiveTimeout{0};
  Clock::time_point lastActivity = Clock::now();
  bool silent = false;
};

int onConnected(void* user, char*, char*, int, int) {
  static_cast<Transfer*>(user)->lastActivity = Clock::now();
  return CURL_PREREQFUNC_OK;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  if (Clock::now() - t->lastActivity <= t->receiveTimeout) return 0;
  t->silent = true;
  return 1;  // ends the transfer with CURLE_ABORTED_BY_CALLBACK
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  t->lastActivity = Clock::now();
  if (n > t->maxBody - t->body.size()) {
    t->tooLarge = true;
    return 0;  // ends the transfer with CURLE_WRITE_ERROR
  }
  t->body.insert(t->body.end(), data, data + n);
  return n;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  t->lastActivity = Clock::now();
  // Each status line starts another answer (a redirect, a 100 Continue): keep the last one.
  if (n >= 5 && std::string(data, 5) == "HTTP/") t->rawHeaders.clear();
  t->rawHeaders.append(data, n);
  return n;
}

class HeaderList {
 public:
  ~HeaderList() { curl_slist_free_all(list_); }
  void add(const std::string& line) { list_ = curl_slist_append(list_, line.c_str()); }
  curl_slist* get() const { return list_; }

 private:
  curl_slist* list_ = nullptr;
};

bool hasHeader(const std::string& block, const char* name) {
  // A line of the block that starts with the name (any case) and its colon.
  const std::string want = lowerAscii(std::string(name) + ":");
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find("\r\n", start);
    if (end == std::string::npos) end = block.size();
    if (lowerAscii(block.substr(start, want.size())) == want) return true;
    start = end + 2;
  }
  return false;
}

std::string escapeSpaces(const std::string& path) {
  std::string out;
  for (char c : path) out += c == ' ' ? std::string("%20") : std::string(1, c);
  return out;
}

FetchOutcome outcomeOf(CURLcode code, const Transfer& t) {
  if (code == CURLE_OK) return FetchOutcome::complete;
  if (t.tooLarge || code == CURLE_FILESIZE_EXCEEDED) return FetchOutcome::tooLarge;
  if (code == CURLE_OPERATION_TIMEDOUT || t.silent) return FetchOutcome::timedOut;
  return FetchOutcome::interrupted;
}

}  // namespace

Response send(const Request& request) {
  Response out;
  if (request.method == Method::unsupported) return out;
  initCurlOnce();
  CURL* curl = curl_easy_init();
  if (!curl) return out;

  const AddressParts& a = request.address;
  const std::string scheme = a.secure ? "https://" : "http://";
  const std::string url =
      scheme + a.host + ":" + std::to_string(connectionPort(a)) + escapeSpaces(a.objectPath);

  HeaderList headers;
  headers.add("User-Agent: " + request.userAgent);
  std::size_t start = 0;
  while (start < request.headerBlock.size()) {
    std::size_t end = request.headerBlock.find("\r\n", start);
    if (end == std::string::npos) end = request.headerBlock.size();
    if (end > start) headers.add(request.headerBlock.substr(start, end - start));
    start = end + 2;
  }
  const std::string cookies = processCookieJar().headerFor(a);
  if (!cookies.empty()) headers.add("Cookie: " + cookies);
  // Headers libcurl would add of its own accord, which WinINet does not send.
  if (!hasHeader(request.headerBlock, "Accept")) headers.add("Accept:");
  if (!hasHeader(request.headerBlock, "Content-Type")) headers.add("Content-Type:");
  headers.add("Expect:");

  Transfer transfer;
  transfer.maxBody = request.limits.maxBody;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  // WinINet's proxy list "http=..." serves http addresses only.
  const std::string proxy = request.proxy.empty() || a.secure ? "" : "http://" + request.proxy;
  curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(request.limits.connectTimeout.count()));
  transfer.receiveTimeout = request.limits.receiveTimeout;
  curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, onConnected);
  curl_easy_setopt(curl, CURLOPT_PREREQDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS,
                   static_cast<long>(request.limits.totalTimeout.count()));
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                   static_cast<curl_off_t>(request.limits.maxBody));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);

  const std::string verb = request.verb.empty() ? "GET" : request.verb;
  if (request.method == Method::post) {
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.body.size()));
    if (verb != "POST") curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, verb.c_str());
  } else {
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    if (verb != "GET") curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, verb.c_str());
  }

  const CURLcode code = curl_easy_perform(curl);
  long status = 0;  // of the last answer, as redirects are followed; 0 when none arrived
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  out.result.status = static_cast<int>(status);
  out.result.outcome = outcomeOf(code, transfer);
  out.result.body = std::move(transfer.body);
  out.rawHeaders = std::move(transfer.rawHeaders);
  return out;
}

void storeCookie(const std::string& address, const std::string& name, const std::string& data) {
  processCookieJar().set(address, name, data);
}

void processPendingMessages() {}

}  // namespace lookup::transport
