// The cookie store that the libcurl build keeps for the process (WinINet keeps its own).
#include "lookup/cookie_jar.h"

#include <gtest/gtest.h>

namespace {

using lookup::CookieJar;
using lookup::splitAddress;

CookieJar::Clock::time_point at(std::int64_t secondsSince1970) {
  return CookieJar::Clock::time_point(std::chrono::seconds(secondsSince1970));
}

const std::int64_t kNow = 1700000000;  // 2023-11-14

TEST(CookieJar, SendsMatchingCookiesLongestPathFirst) {
  CookieJar jar;
  jar.set("http://a.com", "one", "1", at(kNow));
  jar.set("http://a.com", "deep", "2; Path=/x/y", at(kNow));
  jar.set("http://a.com", "x", "3; path=/x", at(kNow));
  jar.set("http://b.com", "other", "4", at(kNow));
  EXPECT_EQ(jar.headerFor(splitAddress("http://a.com/"), at(kNow)), "one=1");
  EXPECT_EQ(jar.headerFor(splitAddress("http://A.com:81/x/y/z?q"), at(kNow)), "deep=2; x=3; one=1");
  EXPECT_EQ(jar.headerFor(splitAddress("http://a.com/xy"), at(kNow)), "one=1");
  EXPECT_EQ(jar.headerFor(splitAddress("http://sub.a.com/"), at(kNow)), "");
  EXPECT_EQ(jar.headerFor(splitAddress("http://b.com/"), at(kNow)), "other=4");
}

TEST(CookieJar, ReplacesInPlaceAndRemovesExpired) {
  CookieJar jar;
  jar.set("http://a.com", "first", "1", at(kNow));
  jar.set("http://a.com", "second", "2", at(kNow));
  jar.set("http://a.com", "first", "new", at(kNow));
  const auto root = splitAddress("http://a.com/");
  EXPECT_EQ(jar.headerFor(root, at(kNow)), "first=new; second=2");
  jar.set("http://a.com", "first", "x; expires=Thu, 01 Jan 1970 00:00:00 GMT", at(kNow));
  EXPECT_EQ(jar.headerFor(root, at(kNow)), "second=2");
  jar.set("http://a.com", "second", "x; Max-Age=0", at(kNow));
  EXPECT_EQ(jar.headerFor(root, at(kNow)), "");
  // Max-Age wins over Expires, and a cookie lapses when its time comes.
  jar.set("http://a.com", "short", "s; expires=Fri, 31 Dec 9999 23:59:59 GMT; max-age=60",
          at(kNow));
  EXPECT_EQ(jar.headerFor(root, at(kNow + 59)), "short=s");
  EXPECT_EQ(jar.headerFor(root, at(kNow + 61)), "");
}

TEST(CookieJar, MaxAgeOverflowSaturates) {
  // Ages of any number of digits last as long as the jar can count; negative ones expire.
  CookieJar jar;
  jar.set("http://a.com", "long", "1; Max-Age=9999999999999999999", at(kNow));
  jar.set("http://a.com", "longer", "2; Max-Age=" + std::string(40, '9'), at(kNow));
  jar.set("http://a.com", "gone", "3; Max-Age=-99999999999999999999", at(kNow));
  EXPECT_EQ(jar.headerFor(splitAddress("http://a.com/"), at(kNow + 6'000'000'000)),
            "long=1; longer=2");
}

TEST(CookieJar, DomainSecureAndNamelessCookies) {
  CookieJar jar;
  jar.set("http://www.a.com", "wide", "1; domain=.A.com", at(kNow));
  jar.set("http://www.a.com", "foreign", "2; domain=b.com", at(kNow));  // refused
  jar.set("https://www.a.com", "safe", "3; Secure", at(kNow));
  jar.set("http://www.a.com", "", "nameless", at(kNow));
  EXPECT_EQ(jar.headerFor(splitAddress("http://a.com/"), at(kNow)), "wide=1");
  EXPECT_EQ(jar.headerFor(splitAddress("http://www.a.com/"), at(kNow)), "wide=1; =nameless");
  EXPECT_EQ(jar.headerFor(splitAddress("https://www.a.com/"), at(kNow)),
            "wide=1; safe=3; =nameless");
  EXPECT_EQ(jar.headerFor(splitAddress("http://b.com/"), at(kNow)), "");
}

TEST(CookieDate, Formats) {
  struct {
    const char* text;
    bool ok;
    std::int64_t seconds;
  } cases[] = {
      {"Sun, 06 Nov 1994 08:49:37 GMT", true, 784111777},
      {"Sunday, 06-Nov-94 08:49:37 GMT", true, 784111777},
      {"Sun Nov  6 08:49:37 1994", true, 784111777},
      {"Thu, 31-Dec-37 23:55:55 GMT", true, 2145916555},
      {"Thu, 01 Jan 1970 00:00:00 GMT", true, 0},
      {"Fri, 31 Dec 9999 23:59:59 GMT", true, 253402300799},
      {"garbage", false, 0},
      {"Sun, 32 Nov 1994 08:49:37 GMT", false, 0},
      {"Sun, 06 Nov 1994 25:49:37 GMT", false, 0},
      {"", false, 0},
  };
  for (const auto& c : cases) {
    std::int64_t seconds = -1;
    EXPECT_EQ(lookup::parseCookieDate(c.text, seconds), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(seconds, c.seconds) << c.text;
    }
  }
}

}  // namespace
