// `lyrivane info`: the song list's summary of each file, or every field of its record.
#include <cstdio>

#include "app/rename.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/songs.h"
#include "platform/text.h"
#include "tags/song_info.h"

namespace cli {

namespace {

const char kInfoUsage[] =
    "usage: lyrivane info [--json] [-r] PATH...\n"
    "  Prints PATH, a tab and the song's summary (title - artist) for each song.\n"
    "  PATH is a song file or a folder (its songs, in name order).\n"
    "  -r, --recursive  also takes the songs of the folders inside each folder\n"
    "  --json           prints every field of each song's record as a JSON array instead\n"
    "  Exit: 0 every song was read, 1 a song is missing or could not be read, 2 usage error.\n";

void printJsonRecord(const std::string& pathUtf8, const std::string& summary,
                     const tags::SongInfo& info, bool first) {
  std::string out = first ? "  " : ",\n  ";
  out += "{\"path\": " + jsonString(pathUtf8) +
         ", \"summary\": " + jsonString(platform::localToUtf8(summary));
  for (const auto& field : tags::kSongInfoTextFields) {
    out += ", \"";
    out += field.name;
    out += "\": " + jsonString(platform::localToUtf8(info.*field.member));
  }
  out += ", \"picture\": " + std::to_string(info.picture.size());
  out += "}";
  std::fputs(out.c_str(), stdout);
}

}  // namespace

int runInfo(const Args& args) {
  bool json = false;
  bool recursive = false;
  Args paths;
  bool optionsDone = false;
  for (const auto& a : args) {
    if (!optionsDone && a == "--json") {
      json = true;
    } else if (!optionsDone && (a == "-r" || a == "--recursive")) {
      recursive = true;
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
  const std::vector<Song> songs = collectSongs(paths, recursive, /*eachFileOnce=*/false);
  bool failed = false;
  bool first = true;
  if (json) std::fputs("[\n", stdout);
  for (const Song& song : songs) {
    const char* problem = song.missing ? "not found" : song.unlisted ? "folder unreadable" : "";
    if (!song.unlisted) {
      // Read as the list reads a song: the summary is the one the list shows.
      // The record in JSON tells the cover's size, so only it reads the cover.
      const app::SongRename read = app::readSong(platform::utf8PathToLocal(song.path), json);
      // A file that opens but holds no tags of its kind (noise named .mp3 or .wma) is read,
      // and shows the bare separator as the list does.
      if (*problem == '\0' && read.status == app::RenameStatus::unreadable) problem = "unreadable";
      const std::string summary = read.kind == tags::SongKind::unknown
                                      ? tags::noSongInfoText()
                                      : read.info.title + " - " + read.info.artist;
      if (json) {
        printJsonRecord(song.path, summary, read.info, first);
      } else {
        std::fputs(song.path.c_str(), stdout);
        std::fputc('\t', stdout);
        printLocal(stdout, summary);
        std::fputc('\n', stdout);
      }
      first = false;
    }
    if (*problem != '\0') {
      std::fflush(stdout);
      std::fprintf(stderr, "lyrivane info: %s: %s\n", song.path.c_str(), problem);
      failed = true;
    }
  }
  if (json) std::fputs(first ? "]\n" : "\n]\n", stdout);
  return failed ? kExitFailed : kExitOk;
}

}  // namespace cli
