// The portable half of HttpFetch: address splitting, the header block, the POST lines, the
// method rule and the cookie lines of raw headers.
#include "lookup/http_fetch.h"

#include <gtest/gtest.h>

namespace {

using lookup::AddressParts;

struct AddressCase {
  const char* url;
  bool secure;
  const char* host;
  const char* hostWithPort;
  std::int32_t port;
  const char* path;
};

TEST(SplitAddress, Table) {
  const AddressCase cases[] = {
      {"http://mp3.baidu.com/m?word=%61&lm=-1", false, "mp3.baidu.com", "mp3.baidu.com", 80,
       "/m?word=%61&lm=-1"},
      // Upper-case host with a port, path with a query: the path keeps its case.
      {"http://Music.Example.COM:8080/Search/M.q?W=%D6&p=1", false, "music.example.com",
       "music.example.com:8080", 8080, "/Search/M.q?W=%D6&p=1"},
      // Host first, no scheme.
      {"example.com/a/b?c", false, "example.com", "example.com", 80, "/a/b?c"},
      {"Example.com:81", false, "example.com", "example.com:81", 81, "/"},
      // No path, or only the root.
      {"http://host", false, "host", "host", 80, "/"},
      {"http://host/", false, "host", "host", 80, "/"},
      {"http://127.0.0.1:5000", false, "127.0.0.1", "127.0.0.1:5000", 5000, "/"},
      // The secure scheme: port 443 unless named.
      {"https://secure.example.com/x?y=1", true, "secure.example.com", "secure.example.com", 443,
       "/x?y=1"},
      {"https://Secure.example.com:8443", true, "secure.example.com", "secure.example.com:8443",
       8443, "/"},
      // A host that also occurs in the scheme keeps its own path.
      {"http://p/x", false, "p", "p", 80, "/x"},
      {"http://http/index", false, "http", "http", 80, "/index"},
      // The port is the number after the colon, whatever follows it.
      {"http://h:/x", false, "h", "h:", 0, "/x"},
      {"http://h:abc/x", false, "h", "h:abc", 0, "/x"},
      {"http://h:80x/x", false, "h", "h:80x", 80, "/x"},
      // "http://" counts wherever it stands.
      {"go to http://h/p", false, "h", "h", 80, "/p"},
      {"http:///x", false, "", "", 80, "/x"},
  };
  for (const auto& c : cases) {
    const AddressParts p = lookup::splitAddress(c.url);
    SCOPED_TRACE(c.url);
    EXPECT_EQ(p.secure, c.secure);
    EXPECT_EQ(p.host, c.host);
    EXPECT_EQ(p.hostWithPort, c.hostWithPort);
    EXPECT_EQ(p.port, c.port);
    EXPECT_EQ(p.objectPath, c.path);
  }
}

TEST(SplitAddress, LowerCasesAsciiLettersOnly) {
  // 中 then a character whose trail byte is "A": both stay as they are.
  const AddressParts p = lookup::splitAddress(
      "http://\xD6\xD0\xB8"
      "AX.COM/P");
  EXPECT_EQ(p.host,
            "\xD6\xD0\xB8"
            "Ax.com");
  EXPECT_EQ(p.objectPath, "/P");
}

TEST(SplitAddress, ConnectionPortUsesTheSchemeDefaultForZero) {
  EXPECT_EQ(lookup::connectionPort(lookup::splitAddress("http://h:0/")), 80);
  EXPECT_EQ(lookup::connectionPort(lookup::splitAddress("https://h:0/")), 443);
  EXPECT_EQ(lookup::connectionPort(lookup::splitAddress("http://h:8080/")), 8080);
  EXPECT_EQ(lookup::cookieAddress(lookup::splitAddress("http://H.com:81/x")), "http://h.com");
  EXPECT_EQ(lookup::cookieAddress(lookup::splitAddress("https://h.com/x")), "https://h.com");
}

const char kAcceptLine[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
    "application/x-shockwave-flash, application/vnd.ms-excel, application/vnd.ms-powerpoint, "
    "application/msword, */*\r\n";

TEST(HeaderBlock, DefaultsInOrderAndOnlyWhereTheCallerHasNone) {
  const std::string url = "http://h/m?word=%61";
  const std::string referer = "Referer: " + url + "\r\n";
  const std::string language = "Accept-Language: zh-cn\r\n";
  struct {
    std::string caller;
    std::string expected;
  } cases[] = {
      {"", kAcceptLine + referer + language},
      {"accept: text/html\r\n", "accept: text/html\r\n" + referer + language},
      {"ACCEPT: */*\r\nX-A: 1\r\n", "ACCEPT: */*\r\nX-A: 1\r\n" + referer + language},
      {"Referer: http://elsewhere/\r\n",
       "Referer: http://elsewhere/\r\n" + std::string(kAcceptLine) + language},
      {"accept-language: en\r\n", "accept-language: en\r\n" + std::string(kAcceptLine) + referer},
      // "Accept-Language: " is not "Accept: ".
      {"Accept-Language: en\r\n", "Accept-Language: en\r\n" + std::string(kAcceptLine) + referer},
  };
  for (const auto& c : cases)
    EXPECT_EQ(lookup::defaultHeaderBlock(c.caller, url), c.expected) << c.caller;
}

TEST(HeaderBlock, PostAddsTypeAndLengthOnlyWithABody) {
  const std::string block = "A: 1\r\n";
  EXPECT_EQ(lookup::postHeaderBlock(block, ""), block);
  EXPECT_EQ(lookup::postHeaderBlock(block, "k=v&x=1"),
            block + "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 7\r\n");
  EXPECT_EQ(lookup::postHeaderBlock("content-type: text/plain\r\n", "\xD6\xD0"),
            "content-type: text/plain\r\nContent-Length: 2\r\n");
}

TEST(Method, EmptyGetAndPostInAnyCase) {
  using lookup::Method;
  EXPECT_EQ(lookup::methodOf(""), Method::get);
  EXPECT_EQ(lookup::methodOf("GET"), Method::get);
  EXPECT_EQ(lookup::methodOf("gEt"), Method::get);
  EXPECT_EQ(lookup::methodOf("post"), Method::post);
  EXPECT_EQ(lookup::methodOf("PUT"), Method::unsupported);
  EXPECT_EQ(lookup::methodOf("GET "), Method::unsupported);
}

TEST(CookieLines, Table) {
  using lookup::CookieLine;
  const std::string status = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
  struct {
    std::string raw;
    std::vector<CookieLine> expected;
  } cases[] = {
      {status + "\r\n", {}},
      {status + "Set-Cookie: a=1\r\nSet-Cookie: b=2; path=/; HttpOnly\r\n\r\n",
       {{"a", "1"}, {"b", "2; path=/; HttpOnly"}}},
      // Any case; no "=" gives an empty name and the whole rest as data.
      {status + "set-cookie: lower=x\r\nSET-COOKIE: nodata\r\n\r\n",
       {{"lower", "x"}, {"", "nodata"}}},
      // Only the first "=" splits; the value keeps the others.
      {"Set-Cookie: t=a=b==\r\n", {{"t", "a=b=="}}},
      // Lines end at LF (a CR before it dropped), at a zero byte and at 0x1A; the last line
      // may lack its end.
      {"Set-Cookie: lf=1\nSet-Cookie: z=2" + std::string(1, '\0') + "Set-Cookie: e=3\x1A" +
           "Set-Cookie: last=4",
       {{"lf", "1"}, {"z", "2"}, {"e", "3"}, {"last", "4"}}},
      // However long the headers before it.
      {status + "X-Filler: " + std::string(5000, 'f') + "\r\nSet-Cookie: late=1\r\n\r\n",
       {{"late", "1"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(lookup::cookieLines(c.raw), c.expected) << c.raw.size();
}

TEST(FetchResult, FailureValueReadsAsEmptyText) {
  const auto failure = lookup::fetchFailureValue();
  EXPECT_EQ(failure.size(), 255u);
  EXPECT_EQ(lookup::bodyText(failure), "");
  const std::vector<std::uint8_t> body{'a', 'b', 0, 'c'};
  EXPECT_EQ(lookup::bodyText(body), "ab");
}

}  // namespace
