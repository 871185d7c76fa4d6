// Result pages in the shape the two music-search services answer, and a search server of
// the tests' own that answers both services' paths with them: the Baidu page as
// percent-encoded UTF-8, the soso page in GBK. Songs and lyrics are given in UTF-8.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/http_test_server.h"

namespace testing_support {

struct SongHit {
  std::string title;  // as it reads; the page writes it HTML-escaped
  std::string artist;
};

enum class PageKind {
  results,         // the result list with one entry per hit
  noResult,        // the service's "nothing found" page
  changedMarkers,  // a redesigned page: results, but none of the markers the scraper knows
};

// The Baidu lyric search page as served: UTF-8 with every non-ASCII byte (and "%")
// percent-encoded. `beforeFirstLink` goes between the list's start and its first song link.
std::string baiduPage(const std::string& lyrics, PageKind kind, const std::vector<SongHit>& hits,
                      const std::string& beforeFirstLink = "\n<div class=\"lrc-item\">\n");

// The soso music search page as served, in GBK.
std::string sosoPage(const std::string& lyrics, PageKind kind, const std::vector<SongHit>& hits);

// A server answering "/m?word=..." like the Baidu lyric search and "/fcgi-bin/m.q?w=..."
// like the soso search. Lyrics it has no answer for get the no-result page. Each service
// sets a visitor cookie on a request that does not carry it yet, as the real sites do.
class SearchTestServer {
 public:
  SearchTestServer();

  // Answers these lyrics (UTF-8) with a page of this kind on both services.
  void answer(const std::string& lyrics, PageKind kind, std::vector<SongHit> hits);

  // Answers for these lyrics (UTF-8) wait `pause` before they are sent, except the first
  // `promptAnswers` of them.
  void slowDown(const std::string& lyrics, std::chrono::milliseconds pause, int promptAnswers);

  HttpTestServer& http() { return *server_; }
  // "127.0.0.1:port", for LYRIVANE_BAIDU_HOST / LYRIVANE_SOSO_HOST.
  std::string hostPort() const { return server_->hostPort(); }

  enum class Service { baidu, soso };
  // The visitor cookie ("name=value") this server sets for a service.
  std::string visitorCookie(Service service) const;

 private:
  struct Answer {
    PageKind kind;
    std::vector<SongHit> hits;
  };
  void serve(const ReceivedRequest& request, Connection& connection);

  std::mutex mutex_;
  struct Slowness {
    std::chrono::milliseconds pause;
    int promptAnswers;
  };
  std::map<std::string, Answer> answers_;  // keyed by the lyrics' GBK bytes
  std::map<std::string, Slowness> slow_;   // likewise
  std::unique_ptr<HttpTestServer> server_;
};

// Percent-escapes decoded to bytes ("%D6%D0" -> two bytes); other bytes are kept.
std::string percentDecodeBytes(const std::string& text);

}  // namespace testing_support
