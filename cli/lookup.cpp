// `lyrivane lookup`: which songs a line of lyrics belongs to. The two search services are
// asked as the lyrics window asks them (the first title, then every title of the result
// list in page order); the current providers answer with titles and artists.
#include <cstdio>
#include <optional>

#include "cli/commands.h"
#include "cli/output.h"
#include "lookup/providers.h"
#include "lookup/search.h"
#include "platform/text.h"

namespace cli {

namespace {

constexpr int kExitNoResult = 1;
constexpr int kExitFetchFailed = 3;

const char kLookupUsage[] =
    "usage: lyrivane lookup [--service NAME] [--json] LYRICS...\n"
    "  Asks a music-search service which songs the lyrics (the words joined by one space)\n"
    "  belong to.\n"
    "  --service NAME  baidu (the default) or soso: prints the first title on the first\n"
    "                  line, then the title of every entry of the result list in page\n"
    "                  order, one a line (an entry without a title gives an empty line).\n"
    "                  netease, qqmusic or genius: prints \"title - artist\" per song;\n"
    "                  auto asks those three in turn and prints the songs of the first\n"
    "                  that has any. These are unofficial public endpoints: they can\n"
    "                  change or refuse without notice.\n"
    "  --json          prints {\"service\", \"address\", \"firstTitle\", \"titles\"} (baidu,\n"
    "                  soso) or {\"service\", \"address\", \"hits\": [{\"title\", \"artist\"}]}\n"
    "  LYRIVANE_BAIDU_HOST, LYRIVANE_SOSO_HOST (host or host:port) replace the services'\n"
    "  hosts; LYRIVANE_NETEASE_URL, LYRIVANE_QQMUSIC_URL, LYRIVANE_GENIUS_URL (such as\n"
    "  http://127.0.0.1:8080) the providers' addresses.\n"
    "  Exit status: 0 titles found, 1 no result, 2 usage or empty lyrics, 3 fetch failed\n"
    "  or refused.\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "lyrivane lookup: %s\n%s", message.c_str(), kLookupUsage);
  return kExitUsage;
}

void printLine(std::FILE* out, const std::string& local) {
  printLocal(out, local);
  std::fputc('\n', out);
}

int noResult() {
  printLine(stderr, lookup::noResultText());
  return kExitNoResult;
}

int lookupService(lookup::Service service, const std::string& lyrics, bool json) {
  const lookup::FetchedPage fetched = lookup::fetchServicePage(service, lyrics);
  if (fetched.outcome != lookup::FetchOutcome::complete) {
    std::fprintf(stderr, "lyrivane lookup: could not fetch the result page from %s: %s\n",
                 lookup::serviceHost(service).c_str(),
                 lookup::outcomeReason(fetched.outcome, fetched.status).c_str());
    return kExitFetchFailed;
  }
  if (lookup::pageHasNoResult(service, fetched.page)) return noResult();

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
    printLine(stdout, first);
    for (const std::string& title : titles) printLine(stdout, title);
  }
  return kExitOk;
}

void printHits(const lookup::ProviderAnswer& answer, bool json) {
  if (!json) {
    for (const lookup::ProviderHit& hit : answer.hits)
      printLine(stdout, hit.artist.empty() ? hit.title : hit.title + " - " + hit.artist);
    return;
  }
  std::string out = "{\"service\": " + jsonString(lookup::providerFacts(answer.provider).name) +
                    ", \"address\": " + jsonString(platform::localToUtf8(answer.address)) +
                    ", \"hits\": [";
  for (std::size_t i = 0; i < answer.hits.size(); ++i)
    out += std::string(i ? ", " : "") +
           "{\"title\": " + jsonString(platform::localToUtf8(answer.hits[i].title)) +
           ", \"artist\": " + jsonString(platform::localToUtf8(answer.hits[i].artist)) + "}";
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
}

// One provider, or (inTurn) each in turn until one has songs: what each said on stderr, the
// songs on stdout. No result when some provider answered without songs and none had any.
int lookupProviders(const std::vector<lookup::ProviderAnswer>& answers, bool inTurn, bool json) {
  using Kind = lookup::ProviderAnswer::Kind;
  bool answeredEmpty = false;
  for (const lookup::ProviderAnswer& answer : answers) {
    const std::string& name = lookup::providerFacts(answer.provider).name;
    switch (answer.kind) {
      case Kind::hits:
        if (inTurn) std::fprintf(stderr, "answered by %s\n", name.c_str());
        printHits(answer, json);
        return kExitOk;
      case Kind::noHits:
        answeredEmpty = true;
        if (inTurn) std::fprintf(stderr, "%s found nothing\n", name.c_str());
        break;
      case Kind::refused:
      case Kind::failed:
        printLine(stderr, answer.message);
        break;
    }
  }
  return answeredEmpty ? noResult() : kExitFetchFailed;
}

}  // namespace

int runLookup(const Args& args) {
  std::string serviceName = "baidu";
  bool json = false;
  bool optionsDone = false;
  Args words;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!optionsDone && a == "--json") {
      json = true;
    } else if (!optionsDone && (a == "--service" || a.rfind("--service=", 0) == 0)) {
      if (a == "--service") {
        if (i + 1 == args.size()) return usageError("--service needs a name");
        serviceName = args[++i];
      } else {
        serviceName = a.substr(10);
      }
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
  const std::optional<lookup::Provider> provider = lookup::providerNamed(serviceName);
  if (!provider && serviceName != "auto" && serviceName != "baidu" && serviceName != "soso")
    return usageError("unknown service '" + serviceName +
                      "' (baidu, soso, netease, qqmusic, genius or auto)");
  if (words.empty()) {
    std::fputs(kLookupUsage, stderr);
    return kExitUsage;
  }
  std::string lyricsUtf8;
  for (const std::string& w : words) lyricsUtf8 += (lyricsUtf8.empty() ? "" : " ") + w;
  if (lyricsUtf8.empty()) {
    printLine(stderr, lookup::emptyLyricsMessage());
    return kExitUsage;
  }
  const std::string lyrics = platform::utf8ToLocal(lyricsUtf8);

  if (provider) return lookupProviders({lookup::askProvider(*provider, lyrics)}, false, json);
  if (serviceName == "auto") return lookupProviders(lookup::askProvidersInTurn(lyrics), true, json);
  return lookupService(serviceName == "soso" ? lookup::Service::soso : lookup::Service::baidu,
                       lyrics, json);
}

}  // namespace cli
