// `lyrivane lookup`: which songs a line of lyrics belongs to, as the lyrics window asks the
// search services: the first title, then every title of the result list in page order.
#include <cstdio>

#include "cli/commands.h"
#include "cli/output.h"
#include "lookup/search.h"
#include "platform/text.h"

namespace cli {

namespace {

constexpr int kExitNoResult = 1;
constexpr int kExitFetchFailed = 3;

const char kLookupUsage[] =
    "usage: lyrivane lookup [--service baidu|soso] [--json] LYRICS...\n"
    "  Asks a music-search service which songs the lyrics (the words joined by one space)\n"
    "  belong to. Prints the first title on the first line, then the title of every entry\n"
    "  of the result list in page order, one a line (an entry without a title gives an\n"
    "  empty line).\n"
    "  --service S  baidu (the default) or soso\n"
    "  --json       prints {\"service\", \"address\", \"firstTitle\", \"titles\"} instead\n"
    "  LYRIVANE_BAIDU_HOST, LYRIVANE_SOSO_HOST (host or host:port) replace the services' hosts.\n"
    "  Exit status: 0 titles found, 1 no result, 2 usage or empty lyrics, 3 fetch failed.\n";

const char* reasonOf(lookup::FetchOutcome outcome) {
  switch (outcome) {
    case lookup::FetchOutcome::complete:
      return "";
    case lookup::FetchOutcome::interrupted:
      return "the connection failed or broke off";
    case lookup::FetchOutcome::timedOut:
      return "no answer in time";
    case lookup::FetchOutcome::tooLarge:
      return "the answer is larger than a result page can be";
    case lookup::FetchOutcome::failed:
      return "the request could not be made";
  }
  return "";
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "lyrivane lookup: %s\n%s", message.c_str(), kLookupUsage);
  return kExitUsage;
}

}  // namespace

int runLookup(const Args& args) {
  lookup::Service service = lookup::Service::baidu;
  bool json = false;
  bool optionsDone = false;
  Args words;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!optionsDone && a == "--json") {
      json = true;
    } else if (!optionsDone && (a == "--service" || a.rfind("--service=", 0) == 0)) {
      std::string name;
      if (a == "--service") {
        if (i + 1 == args.size()) return usageError("--service needs baidu or soso");
        name = args[++i];
      } else {
        name = a.substr(10);
      }
      if (name == "baidu")
        service = lookup::Service::baidu;
      else if (name == "soso")
        service = lookup::Service::soso;
      else
        return usageError("unknown service '" + name + "' (baidu or soso)");
    } else if (!optionsDone && (a == "--help" || a == "-h")) {
      std::fputs(kLookupUsage, stdout);
      return kExitOk;
    } else if (!optionsDone && a == "--") {
      optionsDone = true;
    } else if (!optionsDone && a.size() > 1 && a[0] == '-') {
      return usageError("unknown option " + a);
    } else {
      words.push_back(a);
    }
  }
  if (words.empty()) {
    std::fputs(kLookupUsage, stderr);
    return kExitUsage;
  }
  std::string lyricsUtf8;
  for (const std::string& w : words) lyricsUtf8 += (lyricsUtf8.empty() ? "" : " ") + w;
  if (lyricsUtf8.empty()) {
    printLocal(stderr, lookup::emptyLyricsMessage());
    std::fputc('\n', stderr);
    return kExitUsage;
  }

  const lookup::FetchedPage fetched =
      lookup::fetchServicePage(service, platform::utf8ToLocal(lyricsUtf8));
  if (fetched.outcome != lookup::FetchOutcome::complete) {
    std::fprintf(stderr, "lyrivane lookup: could not fetch the result page from %s: %s\n",
                 lookup::serviceHost(service).c_str(), reasonOf(fetched.outcome));
    return kExitFetchFailed;
  }
  if (lookup::pageHasNoResult(service, fetched.page)) {
    printLocal(stderr, lookup::noResultText());
    std::fputc('\n', stderr);
    return kExitNoResult;
  }

  const std::string first = lookup::firstTitle(service, fetched.page);
  const std::vector<std::string> titles = lookup::resultTitles(service, fetched.page);
  if (json) {
    std::string out = "{\"service\": " + jsonString(lookup::serviceTexts(service).name) +
                      ", \"address\": " + jsonString(platform::localToUtf8(fetched.address)) +
                      ", \"firstTitle\": " + jsonString(platform::localToUtf8(first)) +
                      ", \"titles\": [";
    for (std::size_t i = 0; i < titles.size(); ++i)
      out += (i ? ", " : "") + jsonString(platform::localToUtf8(titles[i]));
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
  } else {
    printLocal(stdout, first);
    std::fputc('\n', stdout);
    for (const std::string& title : titles) {
      printLocal(stdout, title);
      std::fputc('\n', stdout);
    }
  }
  return kExitOk;
}

}  // namespace cli
