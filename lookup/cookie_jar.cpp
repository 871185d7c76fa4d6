// The process's cookie store for the libcurl transport.
#include "lookup/cookie_jar.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "lookup/text_search.h"

namespace lookup {

namespace {

constexpr std::int64_t kMaxSeconds = std::numeric_limits<std::int64_t>::max() / 2;

std::string trim(const std::string& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

std::int64_t secondsOf(CookieJar::Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool domainMatches(const std::string& host, const std::string& domain) {
  return host == domain || endsWith(host, "." + domain);
}

// RFC 6265 section 5.1.4.
bool pathMatches(const std::string& requestPath, const std::string& cookiePath) {
  if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0) return false;
  return requestPath.size() == cookiePath.size() || cookiePath.back() == '/' ||
         requestPath[cookiePath.size()] == '/';
}

std::string pathOf(const std::string& objectPath) {
  std::string path = objectPath.substr(0, objectPath.find_first_of("?#"));
  if (path.empty() || path[0] != '/') return "/";
  return path;
}

// A Max-Age value: an optional "-" and digits, nothing else (RFC 6265 section 5.2.2). Any
// number of digits may come; the value saturates at kMaxSeconds, which lies beyond every
// date the jar can tell apart, so adding it to the current time cannot overflow.
bool readMaxAge(const std::string& text, std::int64_t& seconds) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++i;
  if (i == text.size()) return false;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    const int digit = text[i] - '0';
    value = value > (kMaxSeconds - digit) / 10 ? kMaxSeconds : value * 10 + digit;
  }
  seconds = negative ? -value : value;
  return true;
}

bool isDateDelimiter(unsigned char c) {
  return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) ||
         (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// minDigits to maxDigits digits at `pos`, not followed by another digit.
bool readDigits(const std::string& token, std::size_t& pos, int minDigits, int maxDigits,
                int& value) {
  int n = 0;
  value = 0;
  while (pos < token.size() && isDigit(token[pos]) && n < maxDigits) {
    value = value * 10 + (token[pos++] - '0');
    ++n;
  }
  return n >= minDigits && !(pos < token.size() && isDigit(token[pos]));
}

std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

bool parseCookieDate(const std::string& text, std::int64_t& secondsSince1970) {
  static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
  bool haveTime = false, haveDay = false, haveMonth = false, haveYear = false;
  int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isDateDelimiter(static_cast<unsigned char>(text[i]))) ++i;
    std::size_t end = i;
    while (end < text.size() && !isDateDelimiter(static_cast<unsigned char>(text[end]))) ++end;
    const std::string token = text.substr(i, end - i);
    i = end;
    if (token.empty()) continue;
    std::size_t p = 0;
    int h, m, s;
    if (!haveTime && readDigits(token, p, 1, 2, h) && p < token.size() && token[p++] == ':' &&
        readDigits(token, p, 1, 2, m) && p < token.size() && token[p++] == ':' &&
        readDigits(token, p, 1, 2, s)) {
      haveTime = true;
      hour = h, minute = m, second = s;
      continue;
    }
    p = 0;
    int v;
    if (!haveDay && readDigits(token, p, 1, 2, v)) {
      haveDay = true;
      day = v;
      continue;
    }
    if (!haveMonth && token.size() >= 3) {
      const std::string head = lowerAscii(token.substr(0, 3));
      for (int k = 0; k < 12; ++k)
        if (head == kMonths[k]) {
          haveMonth = true;
          month = k + 1;
        }
      if (haveMonth) continue;
    }
    p = 0;
    if (!haveYear && readDigits(token, p, 2, 4, v)) {
      haveYear = true;
      year = v;
    }
  }
  if (haveYear && year >= 70 && year <= 99) year += 1900;
  if (haveYear && year >= 0 && year <= 69) year += 2000;
  if (!haveTime || !haveDay || !haveMonth || !haveYear) return false;
  if (day < 1 || day > 31 || year < 1601 || hour > 23 || minute > 59 || second > 59) return false;
  secondsSince1970 = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  return true;
}

void CookieJar::set(const std::string& address, const std::string& name, const std::string& data,
                    Clock::time_point now) {
  const AddressParts parts = splitAddress(address);
  Cookie cookie;
  cookie.name = trim(name);
  cookie.domain = parts.host;
  cookie.path = "/";

  std::size_t semicolon = data.find(';');
  cookie.value = trim(data.substr(0, semicolon));
  // Max-Age wins over Expires wherever they stand (RFC 6265 section 5.3, step 3).
  bool haveMaxAge = false, haveExpires = false;
  std::int64_t maxAgeExpiry = 0, expiresAt = 0;
  while (semicolon != std::string::npos) {
    const std::size_t start = semicolon + 1;
    semicolon = data.find(';', start);
    const std::string attribute =
        data.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start);
    const std::size_t eq = attribute.find('=');
    const std::string key = lowerAscii(trim(attribute.substr(0, eq)));
    const std::string value = eq == std::string::npos ? "" : trim(attribute.substr(eq + 1));
    if (key == "path") {
      if (!value.empty() && value[0] == '/') cookie.path = value;
    } else if (key == "domain") {
      std::string domain = lowerAscii(value);
      if (!domain.empty() && domain[0] == '.') domain.erase(0, 1);
      if (domain.empty()) continue;
      if (!domainMatches(parts.host, domain)) return;
      cookie.domain = domain;
      cookie.hostOnly = false;
    } else if (key == "max-age") {
      std::int64_t seconds;
      if (readMaxAge(value, seconds)) {
        haveMaxAge = true;
        maxAgeExpiry = seconds <= 0 ? std::numeric_limits<std::int64_t>::min()
                                    : std::min(secondsOf(now) + seconds, kMaxSeconds);
      }
    } else if (key == "expires") {
      haveExpires = parseCookieDate(value, expiresAt) || haveExpires;
    } else if (key == "secure") {
      cookie.secure = true;
    }
  }
  cookie.expires = haveMaxAge || haveExpires;
  cookie.expiry = haveMaxAge ? maxAgeExpiry : expiresAt;

  std::lock_guard<std::mutex> lock(mutex_);
  const auto same = std::find_if(cookies_.begin(), cookies_.end(), [&](const Cookie& c) {
    return c.name == cookie.name && c.domain == cookie.domain && c.path == cookie.path &&
           c.hostOnly == cookie.hostOnly;
  });
  const bool expired = cookie.expires && cookie.expiry <= secondsOf(now);
  if (same != cookies_.end()) {
    if (expired)
      cookies_.erase(same);
    else
      *same = cookie;
  } else if (!expired) {
    cookies_.push_back(cookie);
  }
}

std::string CookieJar::headerFor(const AddressParts& request, Clock::time_point now) {
  const std::int64_t nowSeconds = secondsOf(now);
  const std::string path = pathOf(request.objectPath);
  std::lock_guard<std::mutex> lock(mutex_);
  cookies_.erase(
      std::remove_if(cookies_.begin(), cookies_.end(),
                     [&](const Cookie& c) { return c.expires && c.expiry <= nowSeconds; }),
      cookies_.end());
  std::vector<const Cookie*> matching;
  for (const Cookie& c : cookies_) {
    const bool hostOk =
        c.hostOnly ? request.host == c.domain : domainMatches(request.host, c.domain);
    if (hostOk && pathMatches(path, c.path) && (!c.secure || request.secure))
      matching.push_back(&c);
  }
  std::stable_sort(matching.begin(), matching.end(), [](const Cookie* a, const Cookie* b) {
    return a->path.size() > b->path.size();
  });
  std::string header;
  for (const Cookie* c : matching) {
    if (!header.empty()) header += "; ";
    header += c->name + "=" + c->value;  // a nameless cookie goes as "=value", as WinINet sends it
  }
  return header;
}

void CookieJar::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  cookies_.clear();
}

CookieJar& processCookieJar() {
  static CookieJar jar;
  return jar;
}

}  // namespace lookup
