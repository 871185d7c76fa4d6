// The search services' addresses and the scraping of their pages: percent encoding and
// decoding, the marker cuts (double-byte safe), pieces, first titles and result rows.
#include "lookup/search.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "lookup/text_search.h"
#include "platform/text.h"
#include "tests/support/scoped_env.h"
#include "tests/support/search_pages.h"

namespace {

using lookup::Service;
using testing_support::PageKind;

std::string L(const std::string& utf8) { return platform::utf8ToLocal(utf8); }

// A GBK character whose trail byte is "t" (0x74): searches must not start a marker there.
const std::string kTrailT = "\xB8\x74";

TEST(PercentEncode, EveryByteTwoUpperCaseDigits) {
  EXPECT_EQ(lookup::percentEncode("abc"), "%61%62%63");
  EXPECT_EQ(lookup::percentEncode(L("中文")), "%D6%D0%CE%C4");  // GBK: two escapes each
  EXPECT_EQ(lookup::percentEncode(L("爱 你")), "%B0%AE%20%C4%E3");
  EXPECT_EQ(lookup::percentEncode(std::string("\x00\xFF", 2)), "%00%FF");
  EXPECT_EQ(lookup::percentEncode(""), "");
}

TEST(PercentDecode, Table) {
  const std::string replacement = platform::wideToLocal(u"\uFFFD");
  struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"%E6%AD%8C", L("歌")},
      {"%e6%ad%8c", L("歌")},
      {"<p>%E6%AD%8C %41</p>", "<p>" + L("歌") + " A</p>"},
      {"a+b", "a+b"},
      {"%00x", "x"},  // a zero byte adds nothing
      // Non-digits count as -2: "%zz" is (16 * -2 - 2) mod 256 = 0xDE, a lone UTF-8 lead.
      {"a%zzb", "a" + replacement + "b"},
      {"%", replacement},  // (-34 mod 256) again, as nothing follows
      {"100%25", "100%"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(lookup::percentDecodeUtf8(c.in), c.out) << c.in;
}

TEST(MarkerCuts, TextBetween) {
  struct {
    std::string text, left, right, expected;
  } cases[] = {
      {"<a title=\"x\">", "title=\"", "\"", "x"},
      {"<a title=\"x\">", "TITLE=\"", "\"", ""},  // case-sensitive
      {"no marker", "title=\"", "\"", ""},
      {"title=\"unclosed", "title=\"", "\"", ""},
      {"abc", "", "c", "ab"},  // an empty marker is found at the start
      {"a&amp;b", "a", "b", "&amp;"},
      {"", "", "", ""},
      // The first "title=\"" that starts a character, not the one in 縯itle="A".
      {kTrailT + "itle=\"A\" title=\"B\"", "title=\"", "\"", "B"},
      // Nor may the right marker start inside a double-byte character.
      {"[" + kTrailT + "t]", "[", "t", kTrailT},
  };
  for (const auto& c : cases)
    EXPECT_EQ(lookup::textBetween(c.text, c.left, c.right), c.expected) << c.text;
}

TEST(MarkerCuts, SectionBetweenIgnoresAsciiCaseOnly) {
  const std::string end = L("<div class=\"mp3logo\">以上搜索结果由百度mp3搜索提供</div>");
  EXPECT_EQ(
      lookup::sectionBetween("x<DIV Class=\"LRC-LIST\" id=\"lrc_list\">body" +
                                 L("<DIV CLASS=\"MP3LOGO\">以上搜索结果由百度MP3搜索提供</Div>"),
                             "<div class=\"lrc-list\" id=\"lrc_list\">", end),
      "body");
  // A trail byte "T" is not the letter T, whatever the case rule.
  EXPECT_EQ(lookup::sectionBetween("[\xB8\x54]", "[", kTrailT), "");
  EXPECT_EQ(lookup::findLocal("\xB8\x54", "\xB8\x74", 0, true), std::string::npos);
  EXPECT_EQ(lookup::findLocal("aB", "b", 0, true), 1u);
}

TEST(Pieces, Table) {
  struct {
    std::string section;
    std::vector<std::string> pieces;
  } cases[] = {
      {"", {}},
      {"abc", {"abc"}},
      {"a|b|c", {"a", "b", "c"}},
      {"|b", {"", "b"}},  // the text before the first separator is kept, even empty
      {"a|", {"a"}},      // the text after the last one only when not empty
      {"a||b", {"a", "", "b"}},
      {"|", {""}},
      {"x" + kTrailT + "|y", {"x" + kTrailT, "y"}},
  };
  for (const auto& c : cases) EXPECT_EQ(lookup::splitPieces(c.section, "|"), c.pieces) << c.section;
  // A separator never starts inside a double-byte character.
  EXPECT_EQ(lookup::splitPieces("a" + kTrailT + "b", "tb"),
            std::vector<std::string>{"a" + kTrailT + "b"});
}

using testing_support::ScopedEnv;

TEST(ServiceAddress, FixedPathsAndQueriesAroundTheEncodedLyrics) {
  ScopedEnv baidu("LYRIVANE_BAIDU_HOST", "");
  ScopedEnv soso("LYRIVANE_SOSO_HOST", "");
  EXPECT_EQ(lookup::serviceAddress(Service::baidu, "abc"),
            "http://mp3.baidu.com/m?word=%61%62%63&lm=-1&f=ms&tn=baidump3lyric&ct=150994944"
            "&lf=2&rn=10");
  EXPECT_EQ(lookup::serviceAddress(Service::soso, L("中")),
            "http://cgi.music.soso.com/fcgi-bin/m.q?w=%D6%D0&p=1&source=1&t=7");
  soso.put("127.0.0.1:8081");
  EXPECT_EQ(lookup::serviceAddress(Service::soso, "a"),
            "http://127.0.0.1:8081/fcgi-bin/m.q?w=%61&p=1&source=1&t=7");
  EXPECT_EQ(lookup::serviceAddress(Service::baidu, "a").rfind("http://mp3.baidu.com/m?", 0), 0u);
}

const std::vector<testing_support::SongHit> kThreeSongs = {
    {"月亮代表我的心", "邓丽君"}, {"Tom & Jerry", "Band"}, {"甜蜜蜜", "邓丽君"}};

std::string baiduPage(PageKind kind, const std::string& beforeFirstLink = "\n<div>\n") {
  return lookup::servicePage(Service::baidu, [&] {
    const std::string s =
        testing_support::baiduPage("你问我爱你有多深", kind, kThreeSongs, beforeFirstLink);
    return std::vector<std::uint8_t>(s.begin(), s.end());
  }());
}

TEST(BaiduPage, FiveRowsForThreeSongs) {
  const std::string page = baiduPage(PageKind::results);
  EXPECT_FALSE(lookup::pageHasNoResult(Service::baidu, page));
  EXPECT_EQ(lookup::firstTitle(Service::baidu, page), L("月亮代表我的心"));
  const std::vector<std::string> rows = {L("    查询结果如下    "), L("甜蜜蜜"), "Tom &amp; Jerry",
                                         L("月亮代表我的心"), ""};
  EXPECT_EQ(lookup::resultListRows(Service::baidu, page), rows);
  // With a title attribute before the first song link, the bottom row is that title.
  EXPECT_EQ(
      lookup::resultListRows(Service::baidu, baiduPage(PageKind::results, "<b title=\"pre\">"))
          .back(),
      "pre");
  EXPECT_EQ(lookup::resultPageCaption(page), L("百度音乐_你问我爱你有多深_歌词搜索"));
}

TEST(BaiduPage, NoResultAndChangedMarkers) {
  const std::string none = baiduPage(PageKind::noResult);
  EXPECT_TRUE(lookup::pageHasNoResult(Service::baidu, none));
  const lookup::LyricsQueryView view = lookup::lyricsQueryView(Service::baidu, "x", none);
  EXPECT_EQ(view.step, lookup::LyricsQueryView::Step::noResult);
  EXPECT_EQ(view.newName, L("错误：无相关结果"));
  EXPECT_EQ(view.rows, std::vector<std::string>{L("  该歌词无法查询到其歌名   ")});

  const std::string changed = baiduPage(PageKind::changedMarkers);
  EXPECT_EQ(lookup::lyricsQueryView(Service::baidu, "x", changed).step,
            lookup::LyricsQueryView::Step::results);
  EXPECT_EQ(lookup::firstTitle(Service::baidu, changed), "");
  EXPECT_EQ(lookup::resultListRows(Service::baidu, changed),
            std::vector<std::string>{L("    查询结果如下    ")});
}

TEST(SosoPage, TitlesFromTheGbkPage) {
  const std::string served = testing_support::sosoPage("甜蜜蜜", PageKind::results, kThreeSongs);
  const std::string page =
      lookup::servicePage(Service::soso, std::vector<std::uint8_t>(served.begin(), served.end()));
  EXPECT_EQ(page, served);  // the local code page already
  EXPECT_EQ(lookup::firstTitle(Service::soso, page), L("月亮代表我的心"));
  EXPECT_EQ(lookup::resultTitles(Service::soso, page),
            (std::vector<std::string>{"", L("月亮代表我的心"), "Tom &amp; Jerry", L("甜蜜蜜")}));
  EXPECT_EQ(lookup::resultListRows(Service::soso, page).front(), L("   查询结果如下   "));
  EXPECT_TRUE(lookup::pageHasNoResult(Service::soso,
                                      testing_support::sosoPage("x", PageKind::noResult, {})));
  EXPECT_FALSE(lookup::pageHasNoResult(Service::soso, page));
}

TEST(LyricsQuery, EmptyLyricsFetchNothingAndEmptyPagesCountAsResults) {
  const lookup::LyricsQueryView empty = lookup::lyricsQueryView(Service::soso, "", "");
  EXPECT_EQ(empty.step, lookup::LyricsQueryView::Step::emptyLyrics);
  EXPECT_EQ(lookup::emptyLyricsMessage(), L("不允许为空"));
  EXPECT_EQ(lookup::emptyLyricsCaption(), L("信息"));
  // A failed fetch reads as an empty page: no no-result marker, so the query goes on and
  // finds an empty first title and a list with only its header.
  EXPECT_EQ(lookup::lyricsQueryView(Service::baidu, "a", "").step,
            lookup::LyricsQueryView::Step::results);
  EXPECT_EQ(lookup::firstTitle(Service::baidu, ""), "");
  EXPECT_EQ(lookup::resultListRows(Service::soso, "").size(), 1u);
}

TEST(LyricsQuery, AFetchThatDidNotCompleteIsAFailureNotAnEmptyResult) {
  using lookup::FetchOutcome;
  using Step = lookup::LyricsQueryView::Step;
  const std::string none = baiduPage(PageKind::noResult);
  const struct {
    FetchOutcome outcome;
    std::string lyrics, page;
    Step step;
  } cases[] = {
      {FetchOutcome::interrupted, "a", "", Step::fetchFailed},
      {FetchOutcome::httpError, "a", none, Step::fetchFailed},
      {FetchOutcome::timedOut, "a", "", Step::fetchFailed},
      {FetchOutcome::tooLarge, "a", none, Step::fetchFailed},
      {FetchOutcome::failed, "a", "", Step::fetchFailed},
      {FetchOutcome::failed, "", "", Step::emptyLyrics},
      {FetchOutcome::complete, "a", none, Step::noResult},
      {FetchOutcome::complete, "a", "", Step::results},
  };
  for (const auto& c : cases) {
    const lookup::LyricsQueryView view =
        lookup::lyricsQueryView(Service::baidu, c.lyrics, {"", c.outcome, 0, c.page});
    EXPECT_EQ(view.step, c.step) << static_cast<int>(c.outcome) << " " << c.lyrics;
    if (c.step != Step::fetchFailed) continue;
    EXPECT_EQ(view.newName, L("错误：查询服务器失败"));
    EXPECT_EQ(view.rows, std::vector<std::string>{L("  查询服务器失败，请稍后再试   ")});
  }
}

}  // namespace
