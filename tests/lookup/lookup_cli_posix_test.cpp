// `lyrivane lookup` against the tests' own search and provider servers: output lines, JSON,
// the exit statuses of no result, a failed fetch or refusal and empty lyrics, and `auto`.
#include <gtest/gtest.h>

#include "tests/support/process_posix.h"
#include "tests/support/provider_server.h"
#include "tests/support/search_pages.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::PageKind;
using testing_support::SearchTestServer;
using testing_support::shellQuote;

struct CliRun {
  int exitCode;
  std::string out;
  std::string err;
};

// `env` is a list of NAME=VALUE words put before the command.
CliRun lookupWith(const std::string& env, const std::string& args) {
  testing_support::TempDir dir;
  const std::string errPath = dir.path() + "stderr";
  const auto result =
      testing_support::runCommand(env + " " + shellQuote(testing_support::lyrivaneBinary()) +
                                  " lookup " + args + " 2>" + shellQuote(errPath));
  return {result.exitCode, result.out, testing_support::TempDir::read(errPath)};
}

CliRun lookup(const std::string& host, const std::string& args) {
  return lookupWith(
      "LYRIVANE_BAIDU_HOST=" + shellQuote(host) + " LYRIVANE_SOSO_HOST=" + shellQuote(host), args);
}

// The three providers pointed at the tests' provider server.
CliRun lookupProviders(const testing_support::ProviderTestServer& server, const std::string& args) {
  const std::string base = shellQuote(server.base());
  return lookupWith("LYRIVANE_NETEASE_URL=" + base + " LYRIVANE_QQMUSIC_URL=" + base +
                        " LYRIVANE_GENIUS_URL=" + base,
                    args);
}

const std::vector<testing_support::SongHit> kSongs = {{"月亮代表我的心", "邓丽君"},
                                                      {"Tom & Jerry", "Band"}};

TEST(CliLookup, PrintsTheFirstTitleThenTheListInPageOrder) {
  SearchTestServer server;
  server.answer("你问我爱你有多深", PageKind::results, kSongs);
  const CliRun baidu = lookup(server.hostPort(), "你问我爱你有多深");
  EXPECT_EQ(baidu.exitCode, 0) << baidu.err;
  // The entry before the first song link has no title: an empty line.
  EXPECT_EQ(baidu.out, "月亮代表我的心\n\n月亮代表我的心\nTom &amp; Jerry\n");

  server.answer("甜蜜蜜 你笑得甜蜜蜜", PageKind::results, kSongs);
  const CliRun soso = lookup(server.hostPort(), "--service soso 甜蜜蜜 你笑得甜蜜蜜");
  EXPECT_EQ(soso.exitCode, 0) << soso.err;
  EXPECT_EQ(soso.out, "月亮代表我的心\n\n月亮代表我的心\nTom &amp; Jerry\n");
  const auto requests = server.http().requests();
  ASSERT_EQ(requests.size(), 2u);  // one fetch per lookup
  EXPECT_EQ(requests[1].target.substr(0, 37), "/fcgi-bin/m.q?w=%CC%F0%C3%DB%C3%DB%20");
}

TEST(CliLookup, Json) {
  SearchTestServer server;
  server.answer("abc", PageKind::results, kSongs);
  const CliRun run = lookup(server.hostPort(), "--json --service=baidu abc");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "{\"service\": \"baidu\", \"address\": \"http://" + server.hostPort() +
                "/m?word=%61%62%63&lm=-1&f=ms&tn=baidump3lyric&ct=150994944&lf=2&rn=10\", "
                "\"firstTitle\": \"月亮代表我的心\", \"titles\": [\"\", \"月亮代表我的心\", "
                "\"Tom &amp; Jerry\"]}\n");
}

TEST(CliLookup, ExitStatuses) {
  SearchTestServer server;
  const CliRun none = lookup(server.hostPort(), "--service soso 没有这首歌");
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "错误：无相关结果\n");

  const CliRun empty = lookup(server.hostPort(), "''");
  EXPECT_EQ(empty.exitCode, 2);
  EXPECT_EQ(empty.err, "不允许为空\n");
  EXPECT_EQ(server.http().requests().size(), 1u);  // nothing fetched for empty lyrics

  EXPECT_EQ(lookup(server.hostPort(), "").exitCode, 2);
  EXPECT_EQ(lookup(server.hostPort(), "--service qq abc").exitCode, 2);

  int port = 0;
  {
    SearchTestServer closed;
    port = closed.http().port();
  }
  const std::string host = "127.0.0.1:" + std::to_string(port);
  const CliRun failed = lookup(host, "abc");
  EXPECT_EQ(failed.exitCode, 3);
  EXPECT_EQ(failed.out, "");
  EXPECT_NE(failed.err.find(host), std::string::npos) << failed.err;
}

TEST(CliLookup, HttpErrorStatusIsAFailedFetch) {
  testing_support::HttpTestServer server(testing_support::answerWith(
      testing_support::httpAnswer(404, "<html><body>not found</body></html>")));
  const CliRun run = lookup(server.hostPort(), "abc");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("HTTP status 404"), std::string::npos) << run.err;
}

const char kNeteaseSongs[] =
    R"({"result":{"songs":[{"name":"晴天","artists":[{"name":"周杰伦"}]},)"
    R"({"name":"Tom & \"J\"","artists":[{"name":"A"},{"name":"B"}]}],"songCount":2},"code":200})";

TEST(CliLookup, ProviderSongsAsLinesAndJson) {
  testing_support::ProviderTestServer server;
  server.answer("netease", testing_support::httpAnswer(200, kNeteaseSongs));
  const CliRun lines = lookupProviders(server, "--service netease 刮风这天");
  EXPECT_EQ(lines.exitCode, 0) << lines.err;
  EXPECT_EQ(lines.out, "晴天 - 周杰伦\nTom & \"J\" - A/B\n");
  EXPECT_EQ(lines.err, "");

  const CliRun json = lookupProviders(server, "--json --service=netease a");
  EXPECT_EQ(json.exitCode, 0) << json.err;
  EXPECT_EQ(json.out, "{\"service\": \"netease\", \"address\": \"" + server.base() +
                          "/api/search/get/web?s=a&type=1006&limit=10&offset=0\", \"hits\": "
                          "[{\"title\": \"晴天\", \"artist\": \"周杰伦\"}, {\"title\": "
                          "\"Tom & \\\"J\\\"\", \"artist\": \"A/B\"}]}\n");
}

TEST(CliLookup, ProviderRefusalNoSongsAndAutoFallingThrough) {
  testing_support::ProviderTestServer server;
  server.answer("netease", testing_support::httpAnswer(200, R"({"code":-460,"msg":"Cheating"})"));
  const CliRun refused = lookupProviders(server, "--service netease x");
  EXPECT_EQ(refused.exitCode, 3);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "netease refused: -460 Cheating\n");

  server.answer("qqmusic",
                testing_support::httpAnswer(200, R"({"code":0,"data":{"lyric":{"list":[]}}})"));
  const CliRun none = lookupProviders(server, "--service qqmusic x");
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.err, "错误：无相关结果\n");

  // The genius path answers 404 until told otherwise: every provider refuses.
  const CliRun nobody = lookupProviders(server, "--service auto x");
  EXPECT_EQ(nobody.exitCode, 1);  // qqmusic answered, without songs
  server.answer("qqmusic", testing_support::httpAnswer(403, "<html>forbidden</html>"));
  EXPECT_EQ(lookupProviders(server, "--service auto x").exitCode, 3);

  server.answer("genius",
                testing_support::httpAnswer(
                    200, R"({"meta":{"status":200},"response":{"sections":[{"hits":[)"
                         R"({"result":{"title":"晴天","primary_artist":{"name":"周杰伦"}}}]}]}})"));
  const CliRun third = lookupProviders(server, "--service auto 刮风这天我试过握着你手");
  EXPECT_EQ(third.exitCode, 0) << third.err;
  EXPECT_EQ(third.out, "晴天 - 周杰伦\n");
  EXPECT_EQ(third.err,
            "netease refused: -460 Cheating\nqqmusic refused: HTTP 403\nanswered by genius\n");
  const auto requests = server.requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().target,
            "/api/search/lyric?q=%E5%88%AE%E9%A3%8E%E8%BF%99%E5%A4%A9%E6%88%91%E8%AF%95%E8%BF%87"
            "%E6%8F%A1%E7%9D%80%E4%BD%A0%E6%89%8B&per_page=10");
}

}  // namespace
