// The process's cookie store on platforms whose HTTP library keeps none for us (WinINet
// keeps its own on Windows). It is filled the way WinINet's InternetSetCookie is: an address
// ("http://" + host), a name and the cookie data with its attributes. Requests then carry
// every cookie that matches their host, path and scheme, longest path first, as WinINet
// sends them.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "lookup/http_fetch.h"

namespace lookup {

class CookieJar {
 public:
  using Clock = std::chrono::system_clock;

  // Files a cookie: `data` is the value, optionally followed by "; " attributes (Path,
  // Domain, Expires, Max-Age, Secure). A cookie whose expiry has passed removes the stored
  // cookie of the same name, domain and path. A Domain that does not cover the address's
  // host is refused, as RFC 6265 (section 5.3) asks.
  void set(const std::string& address, const std::string& name, const std::string& data,
           Clock::time_point now = Clock::now());

  // The value of the Cookie header for a request, or "" when no cookie matches.
  std::string headerFor(const AddressParts& request, Clock::time_point now = Clock::now());

  void clear();

 private:
  struct Cookie {
    std::string name;
    std::string value;
    std::string domain;  // lower-case host, or the Domain attribute without its leading dot
    bool hostOnly = true;
    std::string path;
    bool secure = false;
    bool expires = false;
    std::int64_t expiry = 0;  // seconds since 1970; dates up to year 9999 overflow a time_point
  };

  std::mutex mutex_;
  std::vector<Cookie> cookies_;  // in the order they were first set
};

// The store every fetch of this process shares.
CookieJar& processCookieJar();

// An HTTP date (RFC 6265 section 5.1.1: "Sun, 06 Nov 1994 08:49:37 GMT" and its relatives)
// as seconds since 1970, or false when the text holds no valid date.
bool parseCookieDate(const std::string& text, std::int64_t& secondsSince1970);

}  // namespace lookup
