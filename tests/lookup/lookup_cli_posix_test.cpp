// `lyrivane lookup` against the tests' own search server: output lines, JSON, the exit
// statuses of no result, a failed fetch and empty lyrics.
#include <gtest/gtest.h>

#include "tests/support/process_posix.h"
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

CliRun lookup(const std::string& host, const std::string& args) {
  testing_support::TempDir dir;
  const std::string errPath = dir.path() + "stderr";
  const auto result = testing_support::runCommand("LYRIVANE_BAIDU_HOST=" + shellQuote(host) +
                                                  " LYRIVANE_SOSO_HOST=" + shellQuote(host) + " " +
                                                  shellQuote(testing_support::lyrivaneBinary()) +
                                                  " lookup " + args + " 2>" + shellQuote(errPath));
  return {result.exitCode, result.out, testing_support::TempDir::read(errPath)};
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

}  // namespace
