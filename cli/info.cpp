// `lyrivane info`: the song list's summary of each file, or every field of its record.
#include <cstdio>

#include "cli/commands.h"
#include "cli/output.h"
#include "platform/text.h"
#include "tags/song_info.h"

namespace cli {

namespace {

const char kInfoUsage[] =
    "usage: lyrivane info [--json] PATH...\n"
    "  Prints PATH, a tab and the song's summary (title - artist) for each PATH.\n"
    "  --json  prints every field of each song's record as a JSON array instead.\n";

void printJsonRecord(const std::string& pathUtf8, const std::string& summary,
                     const tags::SongInfo& info, bool last) {
  std::string out = "  {\"path\": " + jsonString(pathUtf8) +
                    ", \"summary\": " + jsonString(platform::localToUtf8(summary));
  for (const auto& field : tags::kSongInfoTextFields) {
    out += ", \"";
    out += field.name;
    out += "\": " + jsonString(platform::localToUtf8(info.*field.member));
  }
  out += ", \"picture\": " + std::to_string(info.picture.size());
  out += last ? "}\n" : "},\n";
  std::fputs(out.c_str(), stdout);
}

}  // namespace

int runInfo(const Args& args) {
  bool json = false;
  Args paths;
  bool optionsDone = false;
  for (const auto& a : args) {
    if (!optionsDone && a == "--json") {
      json = true;
    } else if (!optionsDone && (a == "--help" || a == "-h")) {
      std::fputs(kInfoUsage, stdout);
      return kExitOk;
    } else if (!optionsDone && a == "--") {
      optionsDone = true;
    } else if (!optionsDone && a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "lyrivane info: unknown option %s\n%s", a.c_str(), kInfoUsage);
      return kExitUsage;
    } else {
      paths.push_back(a);
    }
  }
  if (paths.empty()) {
    std::fputs(kInfoUsage, stderr);
    return kExitUsage;
  }
  if (json) std::fputs("[\n", stdout);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string local = platform::utf8ToLocal(paths[i]);
    if (json) {
      // The same summary the list shows, plus the record it was made from.
      tags::SongInfo info;
      const tags::SongKind kind = tags::songKindOf(local);
      tags::readSongKind(kind, local, info);
      const std::string summary = kind == tags::SongKind::unknown
                                      ? tags::noSongInfoText()
                                      : info.title + " - " + info.artist;
      printJsonRecord(paths[i], summary, info, i + 1 == paths.size());
    } else {
      std::fputs(paths[i].c_str(), stdout);
      std::fputc('\t', stdout);
      printLocal(stdout, tags::readSongInfo(local));
      std::fputc('\n', stdout);
    }
  }
  if (json) std::fputs("]\n", stdout);
  return kExitOk;
}

}  // namespace cli
