// The two services end to end against the tests' own search server on 127.0.0.1: the
// request each sends, the pages as served (percent-encoded UTF-8, GBK), the visitor cookie
// carried to the next query, and the silent outcome of a failed fetch.
#include <gtest/gtest.h>

#include "lookup/search.h"
#include "platform/text.h"
#include "tests/support/scoped_env.h"
#include "tests/support/search_pages.h"

namespace {

using lookup::Service;
using testing_support::PageKind;
using testing_support::SearchTestServer;

std::string L(const std::string& utf8) { return platform::utf8ToLocal(utf8); }

// Points both services at a host for the length of a test.
struct ServiceHosts {
  explicit ServiceHosts(const std::string& host)
      : baidu("LYRIVANE_BAIDU_HOST", host), soso("LYRIVANE_SOSO_HOST", host) {}
  testing_support::ScopedEnv baidu;
  testing_support::ScopedEnv soso;
};

const std::vector<testing_support::SongHit> kSongs = {
    {"月亮代表我的心", "邓丽君"}, {"甜蜜蜜", "邓丽君"}, {"Tom & Jerry", "Band"}};

TEST(SearchServer, BaiduQueryEndToEnd) {
  SearchTestServer server;
  server.answer("你问我爱你有多深", PageKind::results, kSongs);
  ServiceHosts hosts(server.hostPort());
  const std::string lyrics = L("你问我爱你有多深");
  const lookup::FetchedPage fetched = lookup::fetchServicePage(Service::baidu, lyrics);
  EXPECT_EQ(fetched.outcome, lookup::FetchOutcome::complete);
  EXPECT_EQ(fetched.status, 200);
  const auto requests = server.http().requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine,
            "GET /m?word=%C4%E3%CE%CA%CE%D2%B0%AE%C4%E3%D3%D0%B6%E0%C9%EE&lm=-1&f=ms"
            "&tn=baidump3lyric&ct=150994944&lf=2&rn=10 HTTP/1.1");
  EXPECT_EQ(requests[0].header("Referer"), fetched.address);

  const lookup::LyricsQueryView view =
      lookup::lyricsQueryView(Service::baidu, lyrics, fetched.page);
  EXPECT_EQ(view.step, lookup::LyricsQueryView::Step::results);
  EXPECT_EQ(lookup::firstTitle(Service::baidu, fetched.page), L("月亮代表我的心"));
  EXPECT_EQ(lookup::resultListRows(Service::baidu, fetched.page),
            (std::vector<std::string>{L("    查询结果如下    "), "Tom &amp; Jerry", L("甜蜜蜜"),
                                      L("月亮代表我的心"), ""}));
  EXPECT_EQ(lookup::resultPageCaption(fetched.page), L("百度音乐_你问我爱你有多深_歌词搜索"));
}

TEST(SearchServer, SosoQueryEndToEnd) {
  SearchTestServer server;
  server.answer("甜蜜蜜 你笑得甜蜜蜜", PageKind::results, kSongs);
  ServiceHosts hosts(server.hostPort());
  const lookup::FetchedPage fetched =
      lookup::fetchServicePage(Service::soso, L("甜蜜蜜 你笑得甜蜜蜜"));
  const auto requests = server.http().requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target,
            "/fcgi-bin/m.q?w=%CC%F0%C3%DB%C3%DB%20%C4%E3%D0%A6%B5%C3%CC%F0%C3%DB%C3%DB"
            "&p=1&source=1&t=7");
  EXPECT_EQ(lookup::firstTitle(Service::soso, fetched.page), L("月亮代表我的心"));
  EXPECT_EQ(lookup::resultTitles(Service::soso, fetched.page),
            (std::vector<std::string>{"", L("月亮代表我的心"), L("甜蜜蜜"), "Tom &amp; Jerry"}));
}

TEST(SearchServer, NoResultAndChangedPagesOnBothServices) {
  SearchTestServer server;
  server.answer("changed", PageKind::changedMarkers, kSongs);
  ServiceHosts hosts(server.hostPort());
  for (const Service service : {Service::baidu, Service::soso}) {
    SCOPED_TRACE(lookup::serviceTexts(service).name);
    const std::string none = lookup::fetchServicePage(service, L("没有这首歌")).page;
    const lookup::LyricsQueryView view = lookup::lyricsQueryView(service, "x", none);
    EXPECT_EQ(view.step, lookup::LyricsQueryView::Step::noResult);
    EXPECT_EQ(view.newName, L("错误：无相关结果"));

    const std::string changed = lookup::fetchServicePage(service, "changed").page;
    EXPECT_EQ(lookup::lyricsQueryView(service, "x", changed).step,
              lookup::LyricsQueryView::Step::results);
    EXPECT_EQ(lookup::firstTitle(service, changed), "");
    EXPECT_EQ(lookup::resultListRows(service, changed).size(), 1u);
  }
}

TEST(SearchServer, ErrorStatusIsNoResultPage) {
  // A 404 answer whose body looks like a page of results.
  testing_support::HttpTestServer server(testing_support::answerWith(testing_support::httpAnswer(
      404, testing_support::baiduPage("abc", PageKind::results, kSongs))));
  ServiceHosts hosts(server.hostPort());
  const lookup::FetchedPage fetched = lookup::fetchServicePage(Service::baidu, "abc");
  EXPECT_EQ(fetched.outcome, lookup::FetchOutcome::httpError);
  EXPECT_EQ(fetched.status, 404);
}

TEST(SearchServer, VisitorCookieIsCarriedToTheNextQuery) {
  SearchTestServer server;
  ServiceHosts hosts(server.hostPort());
  lookup::fetchServicePage(Service::soso, "first");
  lookup::fetchServicePage(Service::soso, "second");
  const auto requests = server.http().requests();
  ASSERT_EQ(requests.size(), 2u);
  const std::string cookie = server.visitorCookie(SearchTestServer::Service::soso);
  EXPECT_EQ(requests[0].header("Cookie").find(cookie), std::string::npos);
  EXPECT_NE(requests[1].header("Cookie").find(cookie), std::string::npos) << requests[1].head;
}

TEST(SearchServer, UnreachableServiceReadsAsAnEmptyPage) {
  int port = 0;
  {
    SearchTestServer closed;
    port = closed.http().port();
  }
  ServiceHosts hosts("127.0.0.1:" + std::to_string(port));
  const lookup::FetchedPage fetched = lookup::fetchServicePage(Service::baidu, "abc");
  EXPECT_NE(fetched.outcome, lookup::FetchOutcome::complete);
  EXPECT_EQ(fetched.page, "");
  EXPECT_EQ(lookup::lyricsQueryView(Service::baidu, "abc", fetched.page).step,
            lookup::LyricsQueryView::Step::results);
}

}  // namespace
