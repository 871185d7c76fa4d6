// libFuzzer entry point for the cookie jar: Set-Cookie data as a server sends it, filed
// and then asked for, with dates and ages of any size.
//
// Each input line is "address TAB name TAB data"; a line with fewer tabs files its text
// as data for http://a.example.com. Then every address is asked for its Cookie header, now
// and a century later.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lookup/cookie_jar.h"

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using Clock = lookup::CookieJar::Clock;
  const Clock::time_point now{std::chrono::seconds(1700000000)};
  const Clock::time_point later = now + std::chrono::hours(24 * 365 * 100);
  lookup::CookieJar jar;
  std::vector<std::string> addresses = {"http://a.example.com/"};
  for (const std::string& line :
       split(std::string(reinterpret_cast<const char*>(data), size), '\n')) {
    const std::vector<std::string> fields = split(line, '\t');
    if (fields.size() >= 3) {
      jar.set(fields[0], fields[1], fields[2], now);
      addresses.push_back(fields[0]);
    } else {
      jar.set(addresses[0], "n", line, now);
    }
    std::int64_t seconds;
    lookup::parseCookieDate(line, seconds);
  }
  for (const std::string& address : addresses) {
    jar.headerFor(lookup::splitAddress(address), now);
    jar.headerFor(lookup::splitAddress(address), later);
  }
  return 0;
}
