// The undo journal of `lyrivane rename`: one file per run under the state folder, one line
// per rename written to the disk before the file moves, and a mark at the end of the run.
// A run killed mid-way leaves a journal without its end mark; undo then looks at which of
// the two names exists. Paths in the journal are the bytes the system knows them by.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/durable_file.h"

namespace cli {

struct JournalMove {
  std::string from;  // the song's name before the run
  std::string to;    // the name the run gave it
};

struct JournalRun {
  std::string file;                // the journal file (system path bytes)
  std::int64_t startTime = 0;      // seconds since 1970, UTC
  std::vector<JournalMove> moves;  // in the order they were made; refused moves left out
  bool complete = false;           // the run reached its end
  bool undone = false;             // `lyrivane undo` took it back
};

// ---- the format (portable, no file touched) ----------------------------------------------

// Line formats. Paths are escaped so that any byte but NUL survives: \\ \t \n \r.
std::string journalHeaderLine(std::int64_t startTime);
std::string journalMoveLine(const std::string& from, const std::string& to);
std::string journalRefusedLine();  // the move recorded just before did not happen
std::string journalEndLine();
std::string journalUndoneLine(std::int64_t undoTime);

// Reads a journal's text. A last line without its newline (cut short by a crash) and lines
// it does not know are ignored.
JournalRun parseJournal(const std::string& text);

// The folder that holds every song of a run (the longest common folder of the old names,
// with its trailing '/'), or "" when they share none.
std::string runFolder(const JournalRun& run);

// ---- the files -----------------------------------------------------------------------------

// $XDG_STATE_HOME/lyrivane/, or ~/.local/state/lyrivane/ (system path bytes, trailing '/').
std::string journalFolder();

// Every run in the journal folder, oldest first.
std::vector<JournalRun> readJournalRuns();

// Appends the "undone" mark to a run's file.
bool markRunUndone(const JournalRun& run, std::int64_t undoTime);

// The journal of one rename run. The file is made at the first rename, so a run that moves
// nothing leaves no entry. When the journal cannot be written the run goes on and says so
// once on stderr.
class RenameJournal {
 public:
  RenameJournal() = default;
  ~RenameJournal() = default;
  RenameJournal(const RenameJournal&) = delete;
  RenameJournal& operator=(const RenameJournal&) = delete;

  // Records a rename about to be made (local text paths); on the disk when this returns.
  void recordMove(const std::string& fromLocal, const std::string& toLocal);
  // The move just recorded did not happen.
  void moveRefused();
  // The run is over: writes the end mark.
  void finish();

 private:
  bool ensureOpen();
  void write(const std::string& line);

  platform::DurableAppendFile file_;
  bool failed_ = false;
};

}  // namespace cli
