// `lyrivane rename`: renames songs in their own folders to Title(Artist).suffix from their
// own tags, as the window's rename run does, without questions and without pauses.
#include <cstdio>
#include <set>

#include "app/rename.h"
#include "cli/commands.h"
#include "cli/journal.h"
#include "cli/output.h"
#include "cli/songs.h"
#include "platform/file.h"
#include "platform/text.h"

namespace cli {

namespace {

const char kRenameUsage[] =
    "usage: lyrivane rename [--dry-run] [--json] [-r] PATH...\n"
    "  Renames each song to Title(Artist).suffix, read from its own tags, in its own folder.\n"
    "  PATH is a song file or a folder (its songs, in name order). Never replaces a file.\n"
    "  Prints OLD -> NEW for each rename and one line saying why for each song left alone.\n"
    "  -r, --recursive  also takes the songs of the folders inside each folder\n"
    "  --dry-run        prints the same, moving nothing\n"
    "  --json           prints a JSON array instead, one object per song\n"
    "  Exit: 0 nothing failed, 1 a song could not be read or renamed, 2 usage error.\n";

struct Options {
  bool dryRun = false;
  bool json = false;
  bool recursive = false;
};

struct Report {
  const char* status;   // "renamed", "would rename", "left alone" or "failed"
  const char* reason;   // "" for a rename
  std::string newPath;  // UTF-8, when a new name was made
};

const char* reasonOf(app::RenameStatus status) {
  switch (status) {
    case app::RenameStatus::ready:
    case app::RenameStatus::renamed:
      return "";
    case app::RenameStatus::unchanged:
      return "already named";
    case app::RenameStatus::notASong:
      return "not a song file";
    case app::RenameStatus::rejected:
    case app::RenameStatus::unreadable:
      return "unreadable";
    case app::RenameStatus::noTitle:
      return "no title";
    case app::RenameStatus::nameRefused:
      return "name refused";
    case app::RenameStatus::targetExists:
      return "target exists";
    case app::RenameStatus::moveFailed:
      return "rename failed";
  }
  return "";
}

void printLine(const Song& song, const Report& report, const app::SongRename& result) {
  std::string line = song.path;
  if (*report.reason == '\0') {
    line += " -> " + report.newPath;
  } else if (result.status == app::RenameStatus::unchanged) {
    line += ": already named";
  } else {
    line += std::string(": not renamed: ") + report.reason;
    if (result.status == app::RenameStatus::nameRefused)
      line += " (" + platform::localToUtf8(result.newName) + " is not a single file name)";
    else if (result.status == app::RenameStatus::targetExists ||
             result.status == app::RenameStatus::moveFailed)
      line += " (" + report.newPath + ")";
  }
  line += '\n';
  std::fputs(line.c_str(), stdout);
}

void printJson(const Song& song, const Report& report, const app::SongRename& result, bool first) {
  std::string out = first ? "  " : ",\n  ";
  out += "{\"path\": " + jsonString(song.path) + ", \"status\": " + jsonString(report.status) +
         ", \"reason\": " + jsonString(report.reason) +
         ", \"newPath\": " + jsonString(report.newPath) +
         ", \"title\": " + jsonString(platform::localToUtf8(result.info.title)) +
         ", \"artist\": " + jsonString(platform::localToUtf8(result.info.artist)) + "}";
  std::fputs(out.c_str(), stdout);
}

// What a dry run knows about the folder as it would be after the renames so far: names
// taken by earlier songs, and names they would leave free.
struct DryRunState {
  std::set<std::string> taken;
  std::set<std::string> freed;
  bool exists(const std::string& local) const {
    return taken.count(local) != 0 || (platform::fileExists(local) && freed.count(local) == 0);
  }
};

}  // namespace

int runRename(const Args& args) {
  Options options;
  Args paths;
  bool optionsDone = false;
  for (const auto& a : args) {
    if (!optionsDone && a == "--dry-run") {
      options.dryRun = true;
    } else if (!optionsDone && a == "--json") {
      options.json = true;
    } else if (!optionsDone && (a == "-r" || a == "--recursive")) {
      options.recursive = true;
    } else if (!optionsDone && (a == "--help" || a == "-h")) {
      std::fputs(kRenameUsage, stdout);
      return kExitOk;
    } else if (!optionsDone && a == "--") {
      optionsDone = true;
    } else if (!optionsDone && a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "lyrivane rename: unknown option %s\n%s", a.c_str(), kRenameUsage);
      return kExitUsage;
    } else {
      paths.push_back(a);
    }
  }
  if (paths.empty()) {
    std::fputs(kRenameUsage, stderr);
    return kExitUsage;
  }

  const std::vector<Song> songs = collectSongs(paths, options.recursive, /*eachFileOnce=*/true);

  bool failed = false;
  DryRunState dry;
  RenameJournal journal;  // a dry run writes none: it is opened at the first real move
  if (options.json) std::fputs("[\n", stdout);
  for (std::size_t i = 0; i < songs.size(); ++i) {
    const Song& song = songs[i];
    const std::string local = platform::utf8PathToLocal(song.path);
    app::SongRename result;
    Report report{"failed", "", ""};
    if (song.missing || song.unlisted) {
      report.reason = song.missing ? "not found" : "folder unreadable";
      failed = true;
      if (options.json) {
        printJson(song, report, result, i == 0);
      } else {
        std::fprintf(stdout, "%s: not renamed: %s\n", song.path.c_str(), report.reason);
      }
      continue;
    }
    // Each song is renamed in its own folder.
    result = app::readSong(local);
    app::planRename(local, app::songFolderOf(local), result);
    if (result.status == app::RenameStatus::ready) {
      if (!options.dryRun) {
        journal.recordMove(local, result.newPath);
        app::applyRename(local, result);
        if (result.status != app::RenameStatus::renamed) journal.moveRefused();
      } else if (dry.exists(result.newPath)) {
        result.status = app::RenameStatus::targetExists;
      } else {
        dry.taken.insert(result.newPath);
        dry.taken.erase(local);
        dry.freed.insert(local);
      }
    }
    if (!result.newPath.empty()) report.newPath = platform::localPathToUtf8(result.newPath);
    report.reason = reasonOf(result.status);
    if (result.status == app::RenameStatus::renamed) {
      report.status = "renamed";
    } else if (result.status == app::RenameStatus::ready) {
      report.status = "would rename";
    } else if (app::isFailure(result.status)) {
      report.status = "failed";
      failed = true;
    } else {
      report.status = "left alone";
    }
    if (options.json)
      printJson(song, report, result, i == 0);
    else
      printLine(song, report, result);
  }
  if (options.json) std::fputs(songs.empty() ? "]\n" : "\n]\n", stdout);
  journal.finish();
  return failed ? kExitFailed : kExitOk;
}

}  // namespace cli
