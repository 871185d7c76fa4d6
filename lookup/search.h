// Lyrics-to-title search: the two web music-search services, the address each is asked
// with, and the marker cuts that pull song titles out of their HTML result pages. Plain text
// matching against fixed markers, no HTML parser. Everything here is local text.
//
// The lyrics window wires these operations to its controls: the query button shows
// lyricsQueryView() of the first page, then (when there are results) starts the list worker
// and writes firstTitle() of a second fetch into the new-name box; the worker fills the
// result list with resultListRows(); the result window shows serviceAddress() with the
// caption resultPageCaption().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lookup/http_fetch.h"

namespace lookup {

enum class Service { baidu, soso };

// The fixed facts of a service, markers in local text.
struct ServiceTexts {
  std::string name;             // "baidu", "soso"
  std::string defaultHost;      // the public endpoint
  std::string hostVariable;     // the environment variable that overrides the host
  std::string queryBefore;      // path and query up to the lyrics
  std::string queryAfter;       // the query after the lyrics
  bool percentDecoded = false;  // the page goes through percentDecodeUtf8
  std::string noResultMarker;
  std::string firstTitleLeft;  // first cut of the page for the first title
  std::string firstTitleRight;
  std::string firstTitleInnerLeft;  // second cut of that, when the service has one
  std::string firstTitleInnerRight;
  std::string listStart;  // the result list's section
  std::string listEnd;
  std::string pieceSeparator;  // splits the section into one piece per song
  std::string titleLeft;       // the title within a piece
  std::string titleRight;
  std::string headerRow;  // the result list's top row
};

const ServiceTexts& serviceTexts(Service service);

// Fixed texts of the lookup, in local text.
const std::string& emptyLyricsMessage();  // "不允许为空"
const std::string& emptyLyricsCaption();  // "信息"
const std::string& noResultText();        // "错误：无相关结果", for the new-name box
const std::string& noResultRow();  // "  该歌词无法查询到其歌名   ", for the result list
const std::string& fetchFailedText();  // "错误：查询服务器失败", for the new-name box
const std::string& fetchFailedRow();  // "  查询服务器失败，请稍后再试   ", for the result list

// Every byte as "%" and two upper-case hexadecimal digits, letters and digits included.
std::string percentEncode(const std::string& text);

// Undoes the page's percent escapes and reads the bytes as UTF-8, giving local text. A "%"
// takes the next two bytes as hexadecimal digits (either case); a byte that is no digit
// (or is missing at the end) counts as -2, and the produced byte is the value modulo 256;
// an escape that produces a zero byte produces nothing.
std::string percentDecodeUtf8(const std::string& text);

// The text between the first `left` and the first `right` after it (case-sensitive);
// empty when either is missing.
std::string textBetween(const std::string& text, const std::string& left, const std::string& right);

// textBetween with both searches ignoring ASCII letter case.
std::string sectionBetween(const std::string& text, const std::string& start,
                           const std::string& end);

// Cuts a section at every separator: the text before the first one (kept even when empty),
// the texts between separators, and the text after the last one unless empty. An empty
// section gives no pieces.
std::vector<std::string> splitPieces(const std::string& section, const std::string& separator);

// The host a service is asked at: its environment variable ("host" or "host:port") when
// set and not empty, else the built-in endpoint.
std::string serviceHost(Service service);

// "http://", the host, the path and query with percentEncode(lyrics) in it.
std::string serviceAddress(Service service, const std::string& lyrics);

// A fetched body as the page the cuts read: text up to the first zero byte, decoded as the
// service requires.
std::string servicePage(Service service, const std::vector<std::uint8_t>& body);

struct FetchedPage {
  std::string address;
  FetchOutcome outcome = FetchOutcome::failed;
  int status = 0;  // the HTTP status; 0 when none arrived
  std::string page;
};

// Fetches the service's result page for the lyrics (GET, default headers) and decodes it.
// Only a complete outcome is a result page: an error status (a 404 page) is not.
FetchedPage fetchServicePage(Service service, const std::string& lyrics);

bool pageHasNoResult(Service service, const std::string& page);

// The title the new-name box receives; may be empty.
std::string firstTitle(Service service, const std::string& page);

// The title of every piece of the result list's section, in page order (empty titles too).
std::vector<std::string> resultTitles(Service service, const std::string& page);

// The result list as the worker leaves it, top row first: the header row, then the titles
// in reverse page order (each row is inserted at the top).
std::vector<std::string> resultListRows(Service service, const std::string& page);

// The caption of the result window.
std::string resultPageCaption(const std::string& page);

// What the query button leads to once the first page is in.
struct LyricsQueryView {
  enum class Step {
    emptyLyrics,  // show emptyLyricsMessage() titled emptyLyricsCaption(); nothing fetched
    noResult,     // new-name box and result list as below; no worker
    fetchFailed,  // the page could not be had: new-name box and result list as below; no worker
    results,      // start the list worker, then write firstTitle() of a fresh page
  };
  Step step = Step::emptyLyrics;
  std::string newName;            // for noResult and fetchFailed
  std::vector<std::string> rows;  // for noResult and fetchFailed, top row first
};

// `firstPage` is only read when the lyrics are not empty.
LyricsQueryView lyricsQueryView(Service service, const std::string& lyrics,
                                const std::string& firstPage);

// The same for a fetched page: a fetch that did not complete (no answer, time-out, size
// cap, or an error status) is a failed fetch, never a page without results.
LyricsQueryView lyricsQueryView(Service service, const std::string& lyrics,
                                const FetchedPage& firstPage);

}  // namespace lookup
