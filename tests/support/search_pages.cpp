// Result pages in the services' shape, and the search server that serves them.
#include "tests/support/search_pages.h"

#include "platform/text.h"

namespace testing_support {

namespace {

std::string htmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The Baidu page escapes every byte outside ASCII, and "%" itself.
std::string percentEscapeNonAscii(const std::string& utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 || c == '%') {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

std::string queryValue(const std::string& target, const std::string& key) {
  const std::size_t q = target.find('?');
  if (q == std::string::npos) return {};
  std::size_t at = q + 1;
  while (at < target.size()) {
    std::size_t end = target.find('&', at);
    if (end == std::string::npos) end = target.size();
    const std::string pair = target.substr(at, end - at);
    if (pair.compare(0, key.size() + 1, key + "=") == 0) return pair.substr(key.size() + 1);
    at = end + 1;
  }
  return {};
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string percentDecodeBytes(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
        hexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string baiduPage(const std::string& lyrics, PageKind kind, const std::vector<SongHit>& hits,
                      const std::string& beforeFirstLink) {
  std::string html =
      "<!DOCTYPE html>\n<html>\n<head>\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
      "<title>百度音乐_" +
      htmlEscape(lyrics) +
      "_歌词搜索</title>\n"
      "</head>\n<body>\n"
      "<div id=\"top\"><a href=\"/\">百度音乐</a> | <a href=\"/top\">排行榜</a></div>\n"
      "<form action=\"/m\"><input name=\"word\" value=\"" +
      htmlEscape(lyrics) + "\"></form>\n";
  if (kind == PageKind::noResult) {
    html += "<div class=\"lrc-list\" id=\"lrc_list\">\n<p class=\"sorry\">抱歉，没有找到与“" +
            htmlEscape(lyrics) + "”相关的歌词。</p>\n</div>\n";
  } else if (kind == PageKind::changedMarkers) {
    html += "<ul class=\"song-list\">\n";
    for (std::size_t i = 0; i < hits.size(); ++i)
      html += "<li><a class=\"song\" href=\"/track/" + std::to_string(200001 + i) +
              "\" data-title=\"" + htmlEscape(hits[i].title) + "\">" + htmlEscape(hits[i].title) +
              "</a> <span>" + htmlEscape(hits[i].artist) + "</span></li>\n";
    html += "</ul>\n<div class=\"footer\">以上搜索结果由百度音乐提供</div>\n";
  } else {
    html += "<div class=\"lrc-list\" id=\"lrc_list\">" + beforeFirstLink;
    for (std::size_t i = 0; i < hits.size(); ++i) {
      if (i > 0) html += "<div class=\"lrc-item\">\n";
      html += "<p class=\"song-title\">歌曲：<a href=\"/song/" + std::to_string(100001 + i) +
              "\" target=\"_blank\" title=\"" + htmlEscape(hits[i].title) + "\">" +
              htmlEscape(hits[i].title) + "</a></p>\n" +
              "<p class=\"artist\">歌手：<a href=\"/artist/" + std::to_string(9001 + i) +
              "\" target=\"_blank\">" + htmlEscape(hits[i].artist) + "</a></p>\n" +
              "<p class=\"lrc\">…<em>" + htmlEscape(lyrics) + "</em>…</p>\n</div>\n";
    }
    html += "<div class=\"mp3logo\">以上搜索结果由百度mp3搜索提供</div>\n</div>\n";
  }
  html += "<div id=\"ft\">&copy;2009 Baidu</div>\n</body>\n</html>\n";
  return percentEscapeNonAscii(html);
}

std::string sosoPage(const std::string& lyrics, PageKind kind, const std::vector<SongHit>& hits) {
  std::string html =
      "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">\n"
      "<title>" +
      htmlEscape(lyrics) +
      " - 搜搜音乐</title>\n</head>\n<body>\n"
      "<div class=\"header\"><a href=\"http://music.soso.com/\">搜搜音乐</a></div>\n";
  if (kind == PageKind::noResult) {
    html += "<div class=\"noresult_box\">对不起，没有找到与“" + htmlEscape(lyrics) +
            "”相关的歌曲。</div>\n";
  } else if (kind == PageKind::changedMarkers) {
    html += "<div class=\"result_list\">\n";
    for (const SongHit& hit : hits)
      html += "<h3><a href=\"#\" class=\"song_name\">" + htmlEscape(hit.title) + "</a></h3>\n";
    html += "</div>\n";
  } else {
    html += "<div class=\"songlyric_list\">\n";
    for (const SongHit& hit : hits)
      html +=
          "<div class=\"songlyric_item\">\n<h4><a href=\"#\" "
          "onclick=\"soso.srhKeyWord(this);return false;\"  title='" +
          htmlEscape(hit.title) + "' class=\"s_name\">" + htmlEscape(hit.title) +
          "</a></h4>\n<p class=\"singer\">" + htmlEscape(hit.artist) + "</p>\n<p class=\"lyric\">" +
          htmlEscape(lyrics) + "</p>\n</div>\n";
    html +=
        "</div>\n<!-- 翻页 开始 -->\n<div class=\"page\"><span>1</span></div>\n"
        "<!-- 翻页 结束 -->\n";
  }
  html += "</body>\n</html>\n";
  return platform::utf8ToLocal(html);
}

SearchTestServer::SearchTestServer()
    : server_(std::make_unique<HttpTestServer>(
          [this](const ReceivedRequest& r, Connection& c) { serve(r, c); })) {}

std::string SearchTestServer::visitorCookie(Service service) const {
  return std::string(service == Service::baidu ? "BAIDUID=" : "pgv_pvid=") +
         std::to_string(server_->port());
}

void SearchTestServer::answer(const std::string& lyrics, PageKind kind, std::vector<SongHit> hits) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_[platform::utf8ToLocal(lyrics)] = {kind, std::move(hits)};
}

void SearchTestServer::slowDown(const std::string& lyrics, std::chrono::milliseconds pause,
                                int promptAnswers) {
  std::lock_guard<std::mutex> lock(mutex_);
  slow_[platform::utf8ToLocal(lyrics)] = {pause, promptAnswers};
}

void SearchTestServer::serve(const ReceivedRequest& request, Connection& connection) {
  const bool baidu = request.target.rfind("/m?", 0) == 0;
  const bool soso = request.target.rfind("/fcgi-bin/m.q?", 0) == 0;
  if (!baidu && !soso) {
    connection.send(httpAnswer(404, "<html><body>not found</body></html>"));
    return;
  }
  const std::string lyrics = percentDecodeBytes(queryValue(request.target, baidu ? "word" : "w"));
  Answer answer{PageKind::noResult, {}};
  std::chrono::milliseconds pause{0};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = answers_.find(lyrics);
    if (found != answers_.end()) answer = found->second;
    const auto slow = slow_.find(lyrics);
    if (slow != slow_.end() && slow->second.promptAnswers-- <= 0) pause = slow->second.pause;
  }
  if (pause.count() > 0 && !connection.pause(pause)) return;
  const std::string lyricsUtf8 = platform::localToUtf8(lyrics);
  std::string headers =
      std::string("Content-Type: text/html; charset=") + (baidu ? "utf-8" : "gbk") + "\r\n";
  // A visitor cookie whose value names this server, set until the client sends it back. A
  // session cookie: a lasting one would outlive the test in Wine's cookie store on disk.
  const std::string cookie = visitorCookie(baidu ? Service::baidu : Service::soso);
  if (request.header("Cookie").find(cookie) == std::string::npos)
    headers += "Set-Cookie: " + cookie + "; path=/\r\n";
  const std::string page = baidu ? baiduPage(lyricsUtf8, answer.kind, answer.hits)
                                 : sosoPage(lyricsUtf8, answer.kind, answer.hits);
  connection.send(httpAnswer(200, page, headers));
}

}  // namespace testing_support
