// The two search services and the scraping of their result pages.
#include "lookup/search.h"

#include <cstdlib>

#include "lookup/text_search.h"
#include "platform/text.h"

namespace lookup {

namespace {

ServiceTexts makeBaidu() {
  ServiceTexts s;
  s.name = "baidu";
  s.defaultHost = "mp3.baidu.com";
  s.hostVariable = "LYRIVANE_BAIDU_HOST";
  s.queryBefore = "/m?word=";
  s.queryAfter = "&lm=-1&f=ms&tn=baidump3lyric&ct=150994944&lf=2&rn=10";
  s.percentDecoded = true;
  s.noResultMarker = "<p class=\"sorry\">";
  s.firstTitleLeft = "<a href=\"/song/";
  s.firstTitleRight = ">";
  s.firstTitleInnerLeft = "title=\"";
  s.firstTitleInnerRight = "\"";
  s.listStart = "<div class=\"lrc-list\" id=\"lrc_list\">";
  s.listEnd = platform::utf8ToLocal("<div class=\"mp3logo\">以上搜索结果由百度mp3搜索提供</div>");
  s.pieceSeparator = "<a href=\"/song/";
  s.titleLeft = "title=\"";
  s.titleRight = "\"";
  s.headerRow = platform::utf8ToLocal("    查询结果如下    ");
  return s;
}

ServiceTexts makeSoso() {
  // Two spaces before title=' in the anchor, as the page writes it.
  const std::string anchor =
      "<a href=\"#\" onclick=\"soso.srhKeyWord(this);return false;\"  title='";
  ServiceTexts s;
  s.name = "soso";
  s.defaultHost = "cgi.music.soso.com";
  s.hostVariable = "LYRIVANE_SOSO_HOST";
  s.queryBefore = "/fcgi-bin/m.q?w=";
  s.queryAfter = "&p=1&source=1&t=7";
  s.percentDecoded = false;
  s.noResultMarker = "<div class=\"noresult_box\">";
  s.firstTitleLeft = anchor;
  s.firstTitleRight = "' class=\"s_name\">";
  s.listStart = "<div class=\"songlyric_list\">";
  s.listEnd = platform::utf8ToLocal("<!-- 翻页 开始 -->");
  s.pieceSeparator = anchor;
  s.titleLeft = "class=\"s_name\">";
  s.titleRight = "</a></h4>";
  s.headerRow = platform::utf8ToLocal("   查询结果如下   ");
  return s;
}

int hexValue(const std::string& text, std::size_t at) {
  static const char kDigits[] = "0123456789ABCDEF";
  if (at >= text.size()) return -2;
  char c = text[at];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (int i = 0; i < 16; ++i)
    if (kDigits[i] == c) return i;
  return -2;
}

std::string cut(const std::string& text, const std::string& left, const std::string& right,
                bool ignoreCase) {
  const std::size_t at = findLocal(text, left, 0, ignoreCase);
  if (at == std::string::npos) return {};
  const std::size_t start = at + left.size();
  const std::size_t end = findLocal(text, right, start, ignoreCase);
  if (end == std::string::npos) return {};
  return text.substr(start, end - start);
}

}  // namespace

const ServiceTexts& serviceTexts(Service service) {
  static const ServiceTexts baidu = makeBaidu();
  static const ServiceTexts soso = makeSoso();
  return service == Service::baidu ? baidu : soso;
}

const std::string& emptyLyricsMessage() {
  static const std::string text = platform::utf8ToLocal("不允许为空");
  return text;
}

const std::string& emptyLyricsCaption() {
  static const std::string text = platform::utf8ToLocal("信息");
  return text;
}

const std::string& noResultText() {
  static const std::string text = platform::utf8ToLocal("错误：无相关结果");
  return text;
}

const std::string& noResultRow() {
  static const std::string text = platform::utf8ToLocal("  该歌词无法查询到其歌名   ");
  return text;
}

const std::string& fetchFailedText() {
  static const std::string text = platform::utf8ToLocal("错误：查询服务器失败");
  return text;
}

const std::string& fetchFailedRow() {
  static const std::string text = platform::utf8ToLocal("  查询服务器失败，请稍后再试   ");
  return text;
}

std::string percentEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    out += '%';
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
  }
  return out;
}

std::string percentDecodeUtf8(const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != '%') {
      bytes += text[i++];
      continue;
    }
    const int value = (16 * hexValue(text, i + 1) + hexValue(text, i + 2)) % 256;
    const int byte = value < 0 ? value + 256 : value;
    if (byte != 0) bytes += static_cast<char>(byte);
    i += 3;
  }
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  return platform::utf8ToLocal(bytes);
}

std::string textBetween(const std::string& text, const std::string& left,
                        const std::string& right) {
  return cut(text, left, right, false);
}

std::string sectionBetween(const std::string& text, const std::string& start,
                           const std::string& end) {
  return cut(text, start, end, true);
}

std::vector<std::string> splitPieces(const std::string& section, const std::string& separator) {
  std::vector<std::string> pieces;
  if (section.empty()) return pieces;
  if (separator.empty()) return {section};
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = findLocal(section, separator, start);
    if (at == std::string::npos) break;
    pieces.push_back(section.substr(start, at - start));
    start = at + separator.size();
  }
  if (pieces.empty() || start < section.size()) pieces.push_back(section.substr(start));
  return pieces;
}

std::string serviceHost(Service service) {
  const ServiceTexts& s = serviceTexts(service);
  const char* value = std::getenv(s.hostVariable.c_str());
  return value && *value ? std::string(value) : s.defaultHost;
}

std::string serviceAddress(Service service, const std::string& lyrics) {
  const ServiceTexts& s = serviceTexts(service);
  return "http://" + serviceHost(service) + s.queryBefore + percentEncode(lyrics) + s.queryAfter;
}

std::string servicePage(Service service, const std::vector<std::uint8_t>& body) {
  const std::string text = bodyText(body);
  return serviceTexts(service).percentDecoded ? percentDecodeUtf8(text) : text;
}

FetchedPage fetchServicePage(Service service, const std::string& lyrics) {
  FetchedPage fetched;
  fetched.address = serviceAddress(service, lyrics);
  const FetchResult result = fetchUrl({fetched.address, "", "", "", ""}, defaultFetchLimits());
  fetched.outcome = result.outcome;
  fetched.status = result.status;
  fetched.page = servicePage(service, result.body);
  return fetched;
}

bool pageHasNoResult(Service service, const std::string& page) {
  return containsLocal(page, serviceTexts(service).noResultMarker);
}

std::string firstTitle(Service service, const std::string& page) {
  const ServiceTexts& s = serviceTexts(service);
  const std::string title = textBetween(page, s.firstTitleLeft, s.firstTitleRight);
  if (s.firstTitleInnerLeft.empty()) return title;
  return textBetween(title, s.firstTitleInnerLeft, s.firstTitleInnerRight);
}

std::vector<std::string> resultTitles(Service service, const std::string& page) {
  const ServiceTexts& s = serviceTexts(service);
  std::vector<std::string> titles;
  for (const std::string& piece :
       splitPieces(sectionBetween(page, s.listStart, s.listEnd), s.pieceSeparator))
    titles.push_back(textBetween(piece, s.titleLeft, s.titleRight));
  return titles;
}

std::vector<std::string> resultListRows(Service service, const std::string& page) {
  const std::vector<std::string> titles = resultTitles(service, page);
  std::vector<std::string> rows{serviceTexts(service).headerRow};
  rows.insert(rows.end(), titles.rbegin(), titles.rend());
  return rows;
}

std::string resultPageCaption(const std::string& page) {
  return textBetween(page, "<title>", "</title>");
}

LyricsQueryView lyricsQueryView(Service service, const std::string& lyrics,
                                const std::string& firstPage) {
  LyricsQueryView view;
  if (lyrics.empty()) {
    view.step = LyricsQueryView::Step::emptyLyrics;
  } else if (pageHasNoResult(service, firstPage)) {
    view.step = LyricsQueryView::Step::noResult;
    view.newName = noResultText();
    view.rows = {noResultRow()};
  } else {
    view.step = LyricsQueryView::Step::results;
  }
  return view;
}

LyricsQueryView lyricsQueryView(Service service, const std::string& lyrics,
                                const FetchedPage& firstPage) {
  if (lyrics.empty() || firstPage.outcome == FetchOutcome::complete)
    return lyricsQueryView(service, lyrics, firstPage.page);
  LyricsQueryView view;
  view.step = LyricsQueryView::Step::fetchFailed;
  view.newName = fetchFailedText();
  view.rows = {fetchFailedRow()};
  return view;
}

}  // namespace lookup
