// `lyrivane undo`: takes back the most recent rename run not yet undone, from its journal,
// moving each song back to its old name without ever replacing a file.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <set>

#include "cli/commands.h"
#include "cli/journal.h"
#include "cli/output.h"
#include "platform/file.h"
#include "platform/text.h"

namespace cli {

namespace {

constexpr int kExitNotRestored = 1;

const char kUndoUsage[] =
    "usage: lyrivane undo [--dry-run] [--json]\n"
    "       lyrivane undo --list\n"
    "  Moves the songs of the most recent rename run not yet undone back to their old names;\n"
    "  run again, it undoes the run before. Never replaces a file: a song whose old name is\n"
    "  taken, or that was moved or deleted since, stays where it is and is reported.\n"
    "  --dry-run  prints the same, moving nothing\n"
    "  --json     prints a JSON array instead, one object per song\n"
    "  --list     shows the runs the journal holds: time, number of songs, folder\n"
    "  The journal is kept in $XDG_STATE_HOME/lyrivane/ (~/.local/state/lyrivane/).\n"
    "  Exit: 0 every song restored or nothing to undo, 1 a song not restored, 2 usage error.\n";

struct Restore {
  const char* status;  // "restored", "would restore", "not moved" or "failed"
  const char* reason;  // why a song was not restored, "" otherwise
};

// The names as undo finds them, and as a dry run imagines them after its earlier steps.
struct Names {
  bool dryRun = false;
  std::set<std::string> taken;
  std::set<std::string> freed;
  bool exists(const std::string& local) const {
    return taken.count(local) != 0 || (platform::fileExists(local) && freed.count(local) == 0);
  }
};

// One song back: the journal says it went from `move.from` to `move.to`. Only the last move
// of a run that did not reach its end may not have been made (the run was killed between
// its journal line and the move): which of the two names exists tells.
Restore restore(const JournalMove& move, bool maybeNotMade, Names& names) {
  const std::string from = platform::utf8ToLocal(move.from);
  const std::string to = platform::utf8ToLocal(move.to);
  const bool atNew = names.exists(to);
  const bool atOld = names.exists(from);
  if (!atNew && atOld && maybeNotMade) return {"not moved", ""};
  if (!atNew) return {"failed", "moved or deleted since"};
  if (atOld) return {"failed", "old name taken"};
  if (names.dryRun) {
    names.taken.erase(to);
    names.freed.insert(to);
    names.taken.insert(from);
    return {"would restore", ""};
  }
  switch (platform::moveFileNoReplace(to, from)) {
    case platform::MoveResult::moved:
      return {"restored", ""};
    case platform::MoveResult::targetExists:
      return {"failed", "old name taken"};
    case platform::MoveResult::sourceMissing:
      return {"failed", "moved or deleted since"};
    default:
      return {"failed", "restore failed"};
  }
}

void printRestore(const JournalMove& move, const Restore& r, bool json, bool first) {
  if (json) {
    std::string out = first ? "  " : ",\n  ";
    out += "{\"path\": " + jsonString(move.to) + ", \"oldPath\": " + jsonString(move.from) +
           ", \"status\": " + jsonString(r.status) + ", \"reason\": " + jsonString(r.reason) + "}";
    std::fputs(out.c_str(), stdout);
  } else if (*r.reason != '\0') {
    std::string line = move.to + ": not restored: " + r.reason;
    if (std::string(r.reason) != "moved or deleted since") line += " (" + move.from + ")";
    std::fputs((line + "\n").c_str(), stdout);
  } else if (std::string(r.status) != "not moved") {
    std::fputs((move.to + " -> " + move.from + "\n").c_str(), stdout);
  }
}

int listRuns() {
  for (const auto& run : readJournalRuns()) {
    const std::time_t at = static_cast<std::time_t>(run.startTime);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&at));
    std::string line = std::string(when) + "  " + std::to_string(run.moves.size()) +
                       (run.moves.size() == 1 ? " song  " : " songs  ") + runFolder(run);
    if (run.undone)
      line += "  (undone)";
    else if (!run.complete)
      line += "  (interrupted)";
    std::fputs((line + "\n").c_str(), stdout);
  }
  return kExitOk;
}

}  // namespace

int runUndo(const Args& args) {
  Names names;
  bool json = false;
  bool list = false;
  for (const auto& a : args) {
    if (a == "--dry-run") {
      names.dryRun = true;
    } else if (a == "--json") {
      json = true;
    } else if (a == "--list") {
      list = true;
    } else if (a == "--help" || a == "-h") {
      std::fputs(kUndoUsage, stdout);
      return kExitOk;
    } else {
      std::fprintf(stderr, "lyrivane undo: unknown argument %s\n%s", a.c_str(), kUndoUsage);
      return kExitUsage;
    }
  }
  if (list) return listRuns();

  const std::vector<JournalRun> runs = readJournalRuns();
  const JournalRun* run = nullptr;
  for (auto it = runs.rbegin(); it != runs.rend() && run == nullptr; ++it)
    if (!it->undone && !it->moves.empty()) run = &*it;
  if (run == nullptr) {
    std::fputs("lyrivane undo: nothing to undo\n", stderr);
    if (json) std::fputs("[]\n", stdout);
    return kExitOk;
  }
  // Backwards, so a name the run freed and then gave to another song is free again first.
  bool failed = false;
  if (json) std::fputs("[\n", stdout);
  for (auto it = run->moves.rbegin(); it != run->moves.rend(); ++it) {
    const Restore r = restore(*it, !run->complete && it == run->moves.rbegin(), names);
    failed = failed || *r.reason != '\0';
    printRestore(*it, r, json, it == run->moves.rbegin());
  }
  if (json) std::fputs("\n]\n", stdout);
  if (!names.dryRun) {
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    if (!markRunUndone(*run, now))
      std::fprintf(stderr, "lyrivane undo: cannot mark %s as undone\n", run->file.c_str());
  }
  return failed ? kExitNotRestored : kExitOk;
}

}  // namespace cli
