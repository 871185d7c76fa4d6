// HttpFetch end to end against the tests' own server on 127.0.0.1: what goes on the wire,
// cookies carried to the next request, and hostile answers ending within their bounds.
// Runs natively (libcurl) and under Wine (WinINet).
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "lookup/cookie_jar.h"
#include "lookup/http_fetch.h"
#include "tests/support/http_test_server.h"

namespace {

using lookup::FetchLimits;
using lookup::FetchOutcome;
using lookup::FetchRequest;
using lookup::FetchResult;
using testing_support::Connection;
using testing_support::HttpTestServer;
using testing_support::ReceivedRequest;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const char kAccept[] =
    "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";

std::string text(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// Short bounds, so each hostile answer ends in a few seconds.
FetchLimits shortLimits() {
  FetchLimits limits;
  limits.connectTimeout = milliseconds(1000);
  limits.receiveTimeout = milliseconds(700);
  limits.totalTimeout = milliseconds(3000);
  limits.maxBody = 1 << 20;
  return limits;
}

// The cookies of a Cookie header whose names start with `prefix`, in the order sent. The
// cookie store lives as long as the process (WinINet's too), so each test uses names of its
// own and looks only at those.
std::string cookiesWith(const std::string& header, const std::string& prefix) {
  std::string out;
  std::size_t start = 0;
  while (start < header.size()) {
    std::size_t end = header.find("; ", start);
    if (end == std::string::npos) end = header.size();
    const std::string cookie = header.substr(start, end - start);
    if (cookie.compare(0, prefix.size(), prefix) == 0) out += (out.empty() ? "" : "; ") + cookie;
    start = end + 2;
  }
  return out;
}

struct Timed {
  FetchResult result;
  double seconds;
};

Timed timedFetch(const std::string& url, const FetchLimits& limits = shortLimits()) {
  const auto start = Clock::now();
  FetchResult result = lookup::fetchUrl({url, "", "", "", ""}, limits);
  return {result, std::chrono::duration<double>(Clock::now() - start).count()};
}

TEST(HttpFetchServer, SendsTheRequestLineAgentAndHeaderBlockInOrder) {
  HttpTestServer server(testing_support::answerWith(testing_support::httpAnswer(200, "page")));
  ASSERT_TRUE(server.running());
  const std::string url = server.url("/m?word=%61%62%63&lm=-1&f=ms");
  EXPECT_EQ(lookup::bodyText(lookup::HttpFetch(url)), "page");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  const ReceivedRequest& r = requests[0];
  EXPECT_EQ(r.requestLine, "GET /m?word=%61%62%63&lm=-1&f=ms HTTP/1.1");
  EXPECT_EQ(r.header("Host"), server.hostPort());
  EXPECT_EQ(r.header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
  // The block's three lines follow each other in this order.
  const std::vector<std::string> lines = r.headerLines();
  const std::string accept = std::string("Accept: ") + kAccept;
  auto at = std::find(lines.begin(), lines.end(), accept);
  ASSERT_NE(at, lines.end()) << r.head;
  ASSERT_LE(std::distance(at, lines.end()), std::ptrdiff_t(lines.size()));
  ASSERT_GE(lines.end() - at, 3);
  EXPECT_EQ(at[1], "Referer: " + url);
  EXPECT_EQ(at[2], "Accept-Language: zh-cn");
}

TEST(HttpFetchServer, CallerHeadersComeFirstAndReplaceTheirDefaults) {
  HttpTestServer server(testing_support::answerWith(testing_support::httpAnswer(200, "ok")));
  const std::string url = server.url("/h");
  lookup::HttpFetch(url, "GET", "", "X-One: 1\r\naccept: text/html\r\n");
  const auto r = server.requests().at(0);
  const auto lines = r.headerLines();
  const auto one = std::find(lines.begin(), lines.end(), "X-One: 1");
  ASSERT_NE(one, lines.end()) << r.head;
  ASSERT_GE(lines.end() - one, 4);
  EXPECT_EQ(one[1], "accept: text/html");
  EXPECT_EQ(one[2], "Referer: " + url);
  EXPECT_EQ(one[3], "Accept-Language: zh-cn");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("Accept:", 0) == 0; }),
            0);
}

TEST(HttpFetchServer, PostSendsItsBodyWithTypeAndLength) {
  HttpTestServer server(testing_support::answerWith(testing_support::httpAnswer(200, "done")));
  EXPECT_EQ(lookup::bodyText(lookup::HttpFetch(server.url("/post"), "post", "", "", "a=1&b=2")),
            "done");
  const auto r = server.requests().at(0);
  EXPECT_EQ(r.requestLine, "post /post HTTP/1.1");  // the method goes out as given
  EXPECT_EQ(r.body, "a=1&b=2");
  EXPECT_EQ(r.header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(r.header("Content-Length"), "7");
}

TEST(HttpFetchServer, UnsupportedMethodSendsNothingAndFails) {
  HttpTestServer server(testing_support::answerWith(testing_support::httpAnswer(200, "x")));
  EXPECT_EQ(lookup::HttpFetch(server.url("/"), "PUT"), lookup::fetchFailureValue());
  server.stop();
  EXPECT_TRUE(server.requests().empty());
}

TEST(HttpFetchServer, BodyWithZeroBytesAndErrorStatusComesBackWhole) {
  const std::string body("a\0b\0c", 5);
  HttpTestServer server(testing_support::answerWith(testing_support::httpAnswer(404, body)));
  const auto bytes = lookup::HttpFetch(server.url("/missing"));
  EXPECT_EQ(text(bytes), body);
  EXPECT_EQ(lookup::bodyText(bytes), "a");
  // The outcome tells the error page from a page.
  const Timed t = timedFetch(server.url("/missing"));
  EXPECT_EQ(t.result.outcome, FetchOutcome::httpError);
  EXPECT_EQ(t.result.status, 404);
  EXPECT_EQ(text(t.result.body), body);
}

TEST(HttpFetchServer, StatusIsTheFinalAnswersAfterARedirect) {
  HttpTestServer server([](const ReceivedRequest& r, Connection& c) {
    c.send(r.target == "/old" ? testing_support::httpAnswer(302, "", "Location: /new\r\n")
                              : testing_support::httpAnswer(200, "moved"));
  });
  const Timed t = timedFetch(server.url("/old"));
  EXPECT_EQ(t.result.outcome, FetchOutcome::complete);
  EXPECT_EQ(t.result.status, 200);
  EXPECT_EQ(text(t.result.body), "moved");
}

TEST(HttpFetchServer, CookiesAreCarriedToTheNextRequestOfTheHost) {
  HttpTestServer server([](const ReceivedRequest& r, Connection& c) {
    if (r.target == "/set")
      c.send(testing_support::httpAnswer(200, "set",
                                         "Set-Cookie: carried1=1; path=/\r\n"
                                         "Set-Cookie: carried2=two words\r\n"
                                         "Set-Cookie: carried3=3; path=/deep\r\n"));
    else
      c.send(testing_support::httpAnswer(200, "plain"));
  });
  lookup::HttpFetch(server.url("/set"));
  lookup::HttpFetch(server.url("/next?q=1"));
  lookup::HttpFetch(server.url("/deep/page"));
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(cookiesWith(requests[0].header("Cookie"), "carried"), "");
  EXPECT_EQ(cookiesWith(requests[1].header("Cookie"), "carried"), "carried1=1; carried2=two words");
  // The cookie of the longer path goes first.
  EXPECT_EQ(cookiesWith(requests[2].header("Cookie"), "carried"),
            "carried3=3; carried1=1; carried2=two words");
}

TEST(HttpFetchServer, CookieWithoutEqualsSignIsSentNameless) {
  HttpTestServer server([](const ReceivedRequest& r, Connection& c) {
    c.send(testing_support::httpAnswer(
        200, "ok", r.target == "/set" ? "Set-Cookie: nameless-cookie-data\r\n" : ""));
  });
  lookup::HttpFetch(server.url("/set"));
  lookup::HttpFetch(server.url("/next"));
  EXPECT_EQ(cookiesWith(server.requests().at(1).header("Cookie"), "=nameless"),
            "=nameless-cookie-data");
}

TEST(HttpFetchServer, CookieSetAfterLongHeadersIsKept) {
  const std::string filler = "X-Filler: " + std::string(3000, 'f') + "\r\n";
  HttpTestServer server([&](const ReceivedRequest& r, Connection& c) {
    c.send(testing_support::httpAnswer(
        200, "ok", r.target == "/long" ? filler + "Set-Cookie: late=1\r\n" : ""));
  });
  lookup::HttpFetch(server.url("/long"));
  lookup::HttpFetch(server.url("/after"));
  EXPECT_EQ(cookiesWith(server.requests().at(1).header("Cookie"), "late"), "late=1");
}

TEST(HttpFetchServer, ExpiredCookieIsRemoved) {
  HttpTestServer server([](const ReceivedRequest& r, Connection& c) {
    if (r.target == "/login")
      c.send(testing_support::httpAnswer(200, "in", "Set-Cookie: session=abc\r\n"));
    else if (r.target == "/logout")
      c.send(testing_support::httpAnswer(
          200, "out", "Set-Cookie: session=gone; expires=Thu, 01 Jan 1970 00:00:00 GMT\r\n"));
    else
      c.send(testing_support::httpAnswer(200, "page"));
  });
  lookup::HttpFetch(server.url("/login"));
  lookup::HttpFetch(server.url("/logout"));
  lookup::HttpFetch(server.url("/page"));
  const auto requests = server.requests();
  EXPECT_EQ(cookiesWith(requests.at(1).header("Cookie"), "session"), "session=abc");
  EXPECT_EQ(cookiesWith(requests.at(2).header("Cookie"), "session"), "");
}

TEST(HttpFetchServer, UnreachableServerGivesAnEmptyBody) {
  int port = 0;
  {
    HttpTestServer closed(testing_support::answerWith(""));
    port = closed.port();
  }
  const Timed t = timedFetch("http://127.0.0.1:" + std::to_string(port) + "/");
  EXPECT_EQ(t.result.outcome, FetchOutcome::interrupted);
  EXPECT_EQ(lookup::bodyText(t.result.body), "");
  EXPECT_LT(t.seconds, 3.0);
}

TEST(HttpFetchServer, NamedProxyGetsTheWholeAddress) {
  HttpTestServer proxy(testing_support::answerWith(testing_support::httpAnswer(200, "proxied")));
  // 127.0.0.2 is loopback too: were the proxy ignored, nothing would leave the machine.
  const std::string url = "http://127.0.0.2:9/m?word=%61";
  EXPECT_EQ(lookup::bodyText(lookup::HttpFetch(url, "", proxy.hostPort())), "proxied");
  const auto requests = proxy.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "GET " + url + " HTTP/1.1");
  EXPECT_EQ(requests[0].header("Referer"), url);
}

TEST(HttpFetchServer, HttpsAddressSpeaksTlsToTheNamedPort) {
  // The tests' server speaks plain HTTP only: a secure fetch reaches its port but never
  // sends it a readable request, and ends without a page.
  HttpTestServer server(testing_support::answerWith(testing_support::httpAnswer(200, "plain")));
  const std::string url = "https://127.0.0.1:" + std::to_string(server.port()) + "/secure";
  const Timed t = timedFetch(url);
  EXPECT_NE(t.result.outcome, FetchOutcome::complete);
  EXPECT_NE(lookup::bodyText(t.result.body), "plain");
  EXPECT_LT(t.seconds, 4.5);
  server.stop();
  EXPECT_GE(server.connections(), 1);
  EXPECT_TRUE(server.requests().empty());
}

// --- hostile answers --------------------------------------------------------------------

TEST(HttpFetchHostile, SilentServerEndsAtTheReceiveTimeout) {
  HttpTestServer server(
      [](const ReceivedRequest&, Connection& c) { c.pause(milliseconds(20000)); });
  const Timed t = timedFetch(server.url("/slow"));
  EXPECT_EQ(t.result.outcome, FetchOutcome::timedOut);
  EXPECT_EQ(t.result.body, lookup::fetchFailureValue());
  EXPECT_LT(t.seconds, 2.5);  // the receive time-out, well before the total one
}

TEST(HttpFetchHostile, BodyThatStallsEndsAtTheReceiveTimeout) {
  HttpTestServer server([](const ReceivedRequest&, Connection& c) {
    c.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'x'));
    c.pause(milliseconds(20000));
  });
  const Timed t = timedFetch(server.url("/stall"));
  EXPECT_EQ(t.result.outcome, FetchOutcome::timedOut);
  EXPECT_EQ(t.result.body, lookup::fetchFailureValue());
  EXPECT_LT(t.seconds, 2.5);
}

TEST(HttpFetchHostile, EndlessBodyStopsAtTheSizeLimit) {
  HttpTestServer server([](const ReceivedRequest&, Connection& c) {
    if (!c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n")) return;
    const std::string chunk(64 * 1024, 'e');
    while (c.send(chunk)) {
    }
  });
  const Timed t = timedFetch(server.url("/endless"));
  EXPECT_EQ(t.result.outcome, FetchOutcome::tooLarge);
  EXPECT_EQ(t.result.body, lookup::fetchFailureValue());
  EXPECT_LT(t.seconds, 2.5);
}

TEST(HttpFetchHostile, HugeDeclaredLengthStopsAtTheSizeLimit) {
  HttpTestServer server([](const ReceivedRequest&, Connection& c) {
    if (!c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000000000\r\n\r\n")) return;
    const std::string chunk(64 * 1024, 'h');
    while (c.send(chunk)) {
    }
  });
  const Timed t = timedFetch(server.url("/huge"));
  EXPECT_EQ(t.result.outcome, FetchOutcome::tooLarge);
  EXPECT_EQ(t.result.body, lookup::fetchFailureValue());
  EXPECT_LT(t.seconds, 2.5);
}

TEST(HttpFetchHostile, TricklingBodyEndsAtTheTotalTimeout) {
  HttpTestServer server([](const ReceivedRequest&, Connection& c) {
    if (!c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n")) return;
    while (c.send("t") && c.pause(milliseconds(100))) {
    }
  });
  const Timed t = timedFetch(server.url("/trickle"));
  EXPECT_EQ(t.result.outcome, FetchOutcome::timedOut);
  EXPECT_EQ(t.result.body, lookup::fetchFailureValue());
  EXPECT_GT(t.seconds, 2.5);
  EXPECT_LT(t.seconds, 4.5);
}

TEST(HttpFetchHostile, EndlessHeadersEndAtTheTotalTimeout) {
  HttpTestServer server([](const ReceivedRequest&, Connection& c) {
    if (!c.send("HTTP/1.1 200 OK\r\n")) return;
    for (int i = 0;
         c.send("X-More-" + std::to_string(i) + ": yes\r\n") && c.pause(milliseconds(50)); ++i) {
    }
  });
  const Timed t = timedFetch(server.url("/headers"));
  EXPECT_EQ(t.result.outcome, FetchOutcome::timedOut);
  EXPECT_EQ(t.result.body, lookup::fetchFailureValue());
  EXPECT_LT(t.seconds, 4.5);
}

TEST(HttpFetchHostile, ResetMidBodyGivesWhatArrived) {
  const std::string sent(100, 'r');
  HttpTestServer server([&](const ReceivedRequest&, Connection& c) {
    c.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + sent);
    c.pause(milliseconds(200));
    c.reset();
  });
  const Timed t = timedFetch(server.url("/reset"));
  EXPECT_NE(t.result.outcome, FetchOutcome::complete);
  const std::string got = text(t.result.body);
  EXPECT_EQ(got, sent.substr(0, got.size()));
  EXPECT_LT(t.seconds, 3.0);
}

TEST(HttpFetchHostile, GarbageInHeadersIsSurvived) {
  const std::string answer =
      "HTTP/1.1 200 OK\r\nX-\x01\x02: \xFF\xFE junk\r\n: no name\r\n"
      "X-Long: " +
      std::string(60000, 'l') +
      "\r\nSet-Cookie: junk1=1\r\n"
      "Content-Length: 4\r\nConnection: close\r\n\r\nbody";
  HttpTestServer server([&](const ReceivedRequest& r, Connection& c) {
    c.send(r.target == "/garbage" ? answer : testing_support::httpAnswer(200, "next"));
  });
  const Timed t = timedFetch(server.url("/garbage"));
  EXPECT_EQ(t.result.outcome, FetchOutcome::complete);
  EXPECT_EQ(text(t.result.body), "body");
  lookup::HttpFetch(server.url("/next"));
  EXPECT_EQ(cookiesWith(server.requests().at(1).header("Cookie"), "junk"), "junk1=1");
}

TEST(HttpFetchHostile, HeaderLineWithoutColonEndsTheFetchQuickly) {
  HttpTestServer server(testing_support::answerWith(
      "HTTP/1.1 200 OK\r\nno colon at all\r\nContent-Length: 4\r\n\r\nbody"));
  const Timed t = timedFetch(server.url("/nocolon"));
  EXPECT_LT(t.seconds, 3.0);
#ifdef _WIN32
  // WinINet skips the line.
  EXPECT_EQ(text(t.result.body), "body");
#else
  // libcurl refuses the answer: the fetch ends as if the connection broke.
  EXPECT_EQ(t.result.outcome, FetchOutcome::interrupted);
  EXPECT_EQ(lookup::bodyText(t.result.body), "");
#endif
}

TEST(HttpFetchHostile, AnswerThatIsNotHttpReadsAsAnEmptyPage) {
  HttpTestServer server(testing_support::answerWith("hello, this is not HTTP\n"));
  const Timed t = timedFetch(server.url("/nothttp"));
  EXPECT_LT(t.seconds, 3.0);
  EXPECT_NE(t.result.outcome, FetchOutcome::timedOut);
  EXPECT_EQ(lookup::bodyText(t.result.body), "");
}

}  // namespace
