// The seam between the portable fetch and a platform's HTTP library. Each platform has one
// file behind it: http_transport_win.cpp (WinINet) and http_transport_posix.cpp (libcurl).
#pragma once

#include <string>

#include "lookup/http_fetch.h"

namespace lookup::transport {

struct Request {
  AddressParts address;
  std::string url;   // the address as the caller gave it
  std::string verb;  // the method exactly as the caller gave it
  Method method = Method::get;
  std::string proxy;
  std::string userAgent = kUserAgent;
  std::string headerBlock;  // every header line the request adds, CR LF terminated
  std::string body;         // sent only with POST
  FetchLimits limits;
};

struct Response {
  FetchResult result;      // status set whenever an answer's status line arrived
  std::string rawHeaders;  // status line and header lines of the final answer, CR LF separated
};

// Performs one request and reads the whole answer.
Response send(const Request& request);

// Files one cookie under `address` ("http://" + host) in the process's cookie store.
void storeCookie(const std::string& address, const std::string& name, const std::string& data);

// Lets the window system handle pending messages, so a fetch on the GUI thread keeps the
// windows responsive. Nothing on platforms without one.
void processPendingMessages();

}  // namespace lookup::transport
