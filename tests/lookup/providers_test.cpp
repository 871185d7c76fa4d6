// The lyric-search providers against the tests' own server on 127.0.0.1: the request each
// sends, and every reply shape (songs, none, refusals, error pages, not JSON) read through
// the real fetch. Runs natively (libcurl) and under Wine (WinINet).
#include "lookup/providers.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/support/provider_server.h"
#include "tests/support/scoped_env.h"

namespace {

using lookup::Provider;
using lookup::ProviderAnswer;
using testing_support::httpAnswer;
using testing_support::ScopedEnv;

std::string L(const std::string& utf8) { return platform::utf8ToLocal(utf8); }

// Points the three providers at the tests' server for the length of a test.
struct ProviderBases {
  explicit ProviderBases(const std::string& base)
      : netease("LYRIVANE_NETEASE_URL", base),
        qqmusic("LYRIVANE_QQMUSIC_URL", base + "/"),  // a trailing "/" is dropped
        genius("LYRIVANE_GENIUS_URL", base) {}
  ScopedEnv netease, qqmusic, genius;
};

std::string json(const std::string& body) {
  return httpAnswer(200, body, "Content-Type: application/json;charset=UTF-8\r\n");
}

TEST(Providers, RequestLineHeadersAndQueryEncoding) {
  testing_support::ProviderTestServer server;
  ProviderBases bases(server.base());
  const std::string lyrics = L("刮风 这天&100%~a.b");
  const std::string encoded = "%E5%88%AE%E9%A3%8E%20%E8%BF%99%E5%A4%A9%26100%25~a.b";
  for (const Provider p : lookup::providerOrder()) lookup::askProvider(p, lyrics);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].requestLine,
            "GET /api/search/get/web?s=" + encoded + "&type=1006&limit=10&offset=0 HTTP/1.1");
  EXPECT_EQ(requests[0].header("Referer"), "https://music.163.com/");
  EXPECT_EQ(requests[1].requestLine, "GET /soso/fcgi-bin/client_search_cp?format=json&t=7&w=" +
                                         encoded + "&p=1&n=10 HTTP/1.1");
  EXPECT_EQ(requests[1].header("Referer"), "https://y.qq.com");
  EXPECT_EQ(requests[2].requestLine,
            "GET /api/search/lyric?q=" + encoded + "&per_page=10 HTTP/1.1");
  for (const auto& r : requests) {
    // A browser's agent, once, in place of the old search pages' one.
    EXPECT_EQ(r.header("User-Agent").rfind("Mozilla/5.0 (Windows NT 10.0;", 0), 0u) << r.head;
    EXPECT_EQ(r.head.find("MSIE"), std::string::npos) << r.head;
  }
}

TEST(Providers, EveryReplyShape) {
  using Kind = ProviderAnswer::Kind;
  struct Case {
    const char* provider;
    std::string answer;
    Kind kind;
    std::vector<lookup::ProviderHit> hits;  // UTF-8
    std::string message;                    // UTF-8
  };
  const std::vector<lookup::ProviderHit> songs = {{"晴天", "周杰伦"}, {"Tom & Jerry", "A/B"}};
  const std::vector<Case> cases = {
      {"netease",
       json(R"({"result":{"songs":[{"id":1,"name":"晴天","artists":[{"id":6452,"name":"周杰伦"}],)"
            R"("album":{"name":"叶惠美"}},{"id":2,"name":"Tom & Jerry","artists":[{"name":"A"},)"
            R"({"name":"B"}]}],"songCount":2},"code":200})"),
       Kind::hits, songs, ""},
      {"qqmusic",
       json(R"({"code":0,"data":{"lyric":{"list":[{"songname":"晴天","singer":[{"name":"周杰伦"}],)"
            R"("content":"刮风这天"},{"songname":"Tom & Jerry","singer":[{"name":"A"},)"
            R"({"name":"B"}]}],"totalnum":2}},"message":"","subcode":0})"),
       Kind::hits, songs, ""},
      {"genius",
       json(
           R"({"meta":{"status":200},"response":{"sections":[{"type":"lyric","hits":[)"
           R"({"index":"lyric","type":"song","result":{"title":"晴天","primary_artist":)"
           R"({"name":"周杰伦"}}},{"result":{"title":"Tom & Jerry","primary_artist":{"name":"A/B"}}}]}]}})"),
       Kind::hits, songs, ""},
      // No songs: an empty list, or (netease) the list left out with a count of 0.
      {"netease", json(R"({"result":{"songCount":0},"code":200})"), Kind::noHits, {}, ""},
      {"qqmusic",
       json(R"({"code":0,"data":{"lyric":{"list":[],"totalnum":0}}})"),
       Kind::noHits,
       {},
       ""},
      {"genius",
       json(R"({"meta":{"status":200},"response":{"sections":[{"hits":[]}]}})"),
       Kind::noHits,
       {},
       ""},
      // Refusals.
      {"netease",
       json(R"({"code":-460,"msg":"Cheating"})"),
       Kind::refused,
       {},
       "netease refused: -460 Cheating"},
      {"netease",
       json(R"({"abroad":true,"code":200,"result":"3a7f0c9e"})"),
       Kind::refused,
       {},
       "netease refused: abroad (the reply is encrypted for callers outside its region)"},
      {"qqmusic",
       json(R"("请求过于频繁，请稍后再试")"),
       Kind::refused,
       {},
       "qqmusic refused: 请求过于频繁，请稍后再试"},
      {"qqmusic",
       json(R"({"code":0,"data":{}})"),
       Kind::refused,
       {},
       "qqmusic refused: no song list in the reply"},
      {"genius",
       json(R"({"meta":{"status":401,"message":"unauthorized"}})"),
       Kind::refused,
       {},
       "genius refused: 401 unauthorized"},
      {"genius",
       httpAnswer(403, "<html><title>Just a moment...</title></html>"),
       Kind::refused,
       {},
       "genius refused: HTTP 403"},
      {"netease",
       httpAnswer(200, "<!DOCTYPE html><html><body>busy</body></html>"),
       Kind::refused,
       {},
       "netease refused: the reply is not JSON"},
  };
  testing_support::ProviderTestServer server;
  ProviderBases bases(server.base());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    server.answer(c.provider, c.answer);
    const ProviderAnswer answer = lookup::askProvider(*lookup::providerNamed(c.provider), "x");
    EXPECT_EQ(answer.kind, c.kind);
    std::vector<lookup::ProviderHit> hits;
    for (const auto& h : c.hits) hits.push_back({L(h.title), L(h.artist)});
    EXPECT_EQ(answer.hits, hits);
    EXPECT_EQ(answer.message, L(c.message));
  }
}

TEST(Providers, UnreachableProviderFailed) {
  int port = 0;
  {
    testing_support::HttpTestServer closed(testing_support::answerWith(""));
    port = closed.port();
  }
  ScopedEnv base("LYRIVANE_GENIUS_URL", "http://127.0.0.1:" + std::to_string(port));
  const ProviderAnswer answer = lookup::askProvider(Provider::genius, "x");
  EXPECT_EQ(answer.kind, ProviderAnswer::Kind::failed);
  EXPECT_EQ(answer.message, "genius failed: the connection failed or broke off");
}

}  // namespace
