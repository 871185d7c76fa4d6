// HttpFetch over WinINet. The calls keep their long-standing order: InternetOpenA,
// InternetConnectA, HttpOpenRequestA, HttpSendRequestA, InternetReadFile (repeated),
// HttpQueryInfoA (raw headers, then the status), InternetCloseHandle for the request, the
// connection and the internet handle; the cookie step then calls InternetSetCookieA once per
// cookie.
//
// Bounds. The connect, send and receive time-outs are set on every handle (Wine honours
// them only on the connection and request handles). They bound each wait, not the whole
// fetch: a server may trickle a byte a second for ever, or send header lines for ever,
// and a blocked WinINet call cannot be interrupted (closing its handle from another thread
// does not wake a socket read; Wine also drains the rest of a declared body inside
// InternetCloseHandle). So the calls run on a worker thread of their own, and the caller
// waits for it no longer than the fetch's total limit, handling window messages meanwhile.
// A worker that overruns is left to finish (or fail) on its own and owns everything it
// touches; the caller returns the failure value at once.
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "lookup/http_transport.h"
#include "platform/message_pump_win.h"

namespace lookup::transport {

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kReadChunk = 2048;
constexpr DWORD kRawHeaderBuffer = 1024;
constexpr DWORD kWsaTimedOut = 10060;  // WSAETIMEDOUT, which Wine's WinINet passes through

DWORD toMilliseconds(std::chrono::milliseconds ms) {
  if (ms.count() <= 0) return 1;
  if (ms.count() > 0x7FFFFFFF) return 0x7FFFFFFF;
  return static_cast<DWORD>(ms.count());
}

void setTimeouts(HINTERNET handle, const FetchLimits& limits) {
  DWORD connect = toMilliseconds(limits.connectTimeout);
  DWORD receive = toMilliseconds(limits.receiveTimeout);
  InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof receive);
  InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

// What the worker and the waiting caller share; the last of the two to let go frees it.
struct Exchange {
  Exchange() : done(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Exchange() {
    if (done) CloseHandle(done);
  }
  Exchange(const Exchange&) = delete;
  Exchange& operator=(const Exchange&) = delete;

  HANDLE done;  // set when the response is complete
  std::atomic<bool> abandoned{false};
  std::mutex mutex;
  Response response;
};

// A failed call counts as a time-out when WinINet says so, or when it failed only after
// waiting as long as the receive time-out (Wine reports a send that timed out as an
// aborted connection).
bool timedOut(DWORD error, Clock::time_point callStart, const FetchLimits& limits) {
  if (error == ERROR_INTERNET_TIMEOUT || error == kWsaTimedOut) return true;
  return Clock::now() - callStart >= limits.receiveTimeout;
}

// The status line and headers of the answer. Headers longer than the usual buffer are
// fetched again into a buffer of the size WinINet asks for, so cookies set after a long
// header block are not lost.
std::string rawHeaders(HINTERNET request) {
  std::string buffer(kRawHeaderBuffer, ' ');
  DWORD length = kRawHeaderBuffer;
  if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, &buffer[0], &length, nullptr)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length == 0) return {};
    buffer.assign(length, ' ');
    if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, &buffer[0], &length, nullptr))
      return {};
  }
  buffer.resize(length < buffer.size() ? length : buffer.size());
  return buffer;
}

// The answer's status code; 0 when no status line arrived.
int statusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD length = sizeof status;
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length,
                      nullptr))
    return 0;
  return static_cast<int>(status);
}

// The request itself, on the worker thread. `publish` receives the response before the
// handles are closed: closing may take long (see the top of the file).
template <typename Publish>
void perform(const Request& request, const std::atomic<bool>& abandoned, Clock::time_point deadline,
             Publish publish) {
  Response out;
  const FetchLimits& limits = request.limits;
  const bool direct = request.proxy.empty();
  const std::string proxyName = direct ? "" : "http=" + request.proxy;
  HINTERNET internet = InternetOpenA(request.userAgent.c_str(),
                                     direct ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY,
                                     proxyName.c_str(), "", 0);
  if (!internet) return publish(std::move(out));
  setTimeouts(internet, limits);
  HINTERNET connection =
      InternetConnectA(internet, request.address.host.c_str(), connectionPort(request.address), "",
                       "", INTERNET_SERVICE_HTTP, 0, 0);
  if (!connection) {
    InternetCloseHandle(internet);
    return publish(std::move(out));
  }
  setTimeouts(connection, limits);
  DWORD flags = INTERNET_FLAG_RELOAD;
  if (request.address.secure) flags |= INTERNET_FLAG_SECURE;
  HINTERNET handle =
      HttpOpenRequestA(connection, request.verb.empty() ? nullptr : request.verb.c_str(),
                       request.address.objectPath.c_str(), "HTTP/1.1", nullptr, nullptr, flags, 0);
  if (!handle) {
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return publish(std::move(out));
  }
  if (request.method == Method::unsupported) {
    InternetCloseHandle(handle);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return publish(std::move(out));
  }
  setTimeouts(handle, limits);

  const bool post = request.method == Method::post;
  auto callStart = Clock::now();
  const BOOL sent = HttpSendRequestA(
      handle, request.headerBlock.data(), static_cast<DWORD>(request.headerBlock.size()),
      post && !request.body.empty() ? const_cast<char*>(request.body.data()) : nullptr,
      post ? static_cast<DWORD>(request.body.size()) : 0);
  FetchOutcome outcome = FetchOutcome::complete;
  if (!sent)
    outcome = timedOut(GetLastError(), callStart, limits) ? FetchOutcome::timedOut
                                                          : FetchOutcome::interrupted;

  // A failed send is read anyway: whatever arrived is the answer.
  std::vector<std::uint8_t>& body = out.result.body;
  char chunk[kReadChunk];
  while (outcome == FetchOutcome::complete || outcome == FetchOutcome::interrupted) {
    if (abandoned || Clock::now() >= deadline) {
      outcome = FetchOutcome::timedOut;
      break;
    }
    DWORD n = 0;
    callStart = Clock::now();
    const BOOL read = InternetReadFile(handle, chunk, kReadChunk, &n);
    const DWORD error = read ? 0 : GetLastError();
    if (n > limits.maxBody - body.size()) {
      outcome = FetchOutcome::tooLarge;
      break;
    }
    body.insert(body.end(), chunk, chunk + n);
    if (!read) {
      if (timedOut(error, callStart, limits))
        outcome = FetchOutcome::timedOut;
      else
        outcome = FetchOutcome::interrupted;
      break;
    }
    if (n == 0) break;
  }

  if (outcome == FetchOutcome::complete || outcome == FetchOutcome::interrupted) {
    out.rawHeaders = rawHeaders(handle);
    out.result.status = statusCode(handle);
  }
  out.result.outcome = outcome;
  publish(std::move(out));
  InternetCloseHandle(handle);
  InternetCloseHandle(connection);
  InternetCloseHandle(internet);
}

}  // namespace

Response send(const Request& request) {
  const Clock::time_point deadline = Clock::now() + request.limits.totalTimeout;
  auto exchange = std::make_shared<Exchange>();
  if (!exchange->done) return {};
  try {
    std::thread([exchange, request, deadline] {
      const auto deliver = [&exchange](Response response) {
        std::lock_guard<std::mutex> lock(exchange->mutex);
        exchange->response = std::move(response);
        SetEvent(exchange->done);
      };
      try {
        perform(request, exchange->abandoned, deadline, deliver);
      } catch (...) {
        // Out of memory while reading: the request failed, and the caller hears so at once
        // instead of waiting out its deadline (no exception leaves this thread).
        deliver(Response{});
      }
    }).detach();
  } catch (const std::system_error&) {
    return {};  // no thread to be had: the request could not be made
  }

  bool pumping = true;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() > 0) {
      const DWORD wait = toMilliseconds(left);
      const DWORD woke = pumping ? MsgWaitForMultipleObjectsEx(1, &exchange->done, wait,
                                                               QS_ALLINPUT, MWMO_INPUTAVAILABLE)
                                 : WaitForSingleObject(exchange->done, wait);
      if (woke == WAIT_OBJECT_0) break;
      if (pumping && woke == WAIT_OBJECT_0 + 1) {
        pumping = platform::processPendingMessages();
        continue;
      }
    } else if (WaitForSingleObject(exchange->done, 0) == WAIT_OBJECT_0) {
      break;
    }
    // The whole fetch overran its limit: leave the worker behind.
    exchange->abandoned = true;
    Response late;
    late.result.outcome = FetchOutcome::timedOut;
    return late;
  }
  std::lock_guard<std::mutex> lock(exchange->mutex);
  return std::move(exchange->response);
}

void storeCookie(const std::string& address, const std::string& name, const std::string& data) {
  InternetSetCookieA(address.c_str(), name.c_str(), data.c_str());
}

void processPendingMessages() { platform::processPendingMessages(); }

}  // namespace lookup::transport
