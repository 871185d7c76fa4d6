// The undo journal of `lyrivane rename`: its line format, its files and the writer.
#include "cli/journal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "platform/text.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

const char kHeader[] = "lyrivane-journal 1 ";
const char kMove[] = "move\t";
const char kRefused[] = "refused";
const char kEnd[] = "end";
const char kUndone[] = "undone ";
const char kSuffix[] = ".journal";

std::string escapePath(const std::string& path) {
  std::string out;
  for (const char c : path) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string unescapePath(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char e = text[++i];
    out += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
  }
  return out;
}

bool startsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

std::int64_t numberAfter(const std::string& line, const char* prefix) {
  return std::strtoll(line.c_str() + std::char_traits<char>::length(prefix), nullptr, 10);
}

// A path as the journal keeps it: absolute, so that undo works from any folder. Only "."
// parts are dropped; ".." stays, as the system resolves it after symbolic links.
std::string absolutePath(const std::string& path) {
  std::error_code ec;
  const fs::path whole = fs::absolute(fs::path(path), ec);
  if (ec) return path;
  fs::path out;
  for (const auto& part : whole)
    if (part != ".") out /= part;
  return out.string();
}

std::int64_t now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

// ---- the format --------------------------------------------------------------------------

std::string journalHeaderLine(std::int64_t startTime) {
  return kHeader + std::to_string(startTime) + "\n";
}

std::string journalMoveLine(const std::string& from, const std::string& to) {
  return kMove + escapePath(from) + "\t" + escapePath(to) + "\n";
}

std::string journalRefusedLine() { return std::string(kRefused) + "\n"; }

std::string journalEndLine() { return std::string(kEnd) + "\n"; }

std::string journalUndoneLine(std::int64_t undoTime) {
  return kUndone + std::to_string(undoTime) + "\n";
}

JournalRun parseJournal(const std::string& text) {
  JournalRun run;
  std::size_t start = 0;
  while (true) {
    const std::size_t stop = text.find('\n', start);
    if (stop == std::string::npos) break;  // nothing, or a line the crash cut short
    const std::string line = text.substr(start, stop - start);
    start = stop + 1;
    if (startsWith(line, kHeader)) {
      run.startTime = numberAfter(line, kHeader);
    } else if (startsWith(line, kMove)) {
      const std::size_t tab = line.find('\t', sizeof kMove - 1);
      if (tab == std::string::npos) continue;
      const std::size_t from = sizeof kMove - 1;
      run.moves.push_back(
          {unescapePath(line.substr(from, tab - from)), unescapePath(line.substr(tab + 1))});
    } else if (line == kRefused) {
      if (!run.moves.empty()) run.moves.pop_back();
    } else if (line == kEnd) {
      run.complete = true;
    } else if (startsWith(line, kUndone)) {
      run.undone = true;
    }
  }
  return run;
}

std::string runFolder(const JournalRun& run) {
  if (run.moves.empty()) return std::string();
  std::string common = run.moves.front().from;
  common.erase(common.rfind('/') + 1);  // npos + 1 erases all: no folder
  for (const auto& move : run.moves) {
    while (!common.empty() && move.from.compare(0, common.size(), common) != 0) {
      common.pop_back();
      common.erase(common.rfind('/') + 1);
    }
  }
  return common;
}

// ---- the files ---------------------------------------------------------------------------

std::string journalFolder() {
  // XDG base directories: a relative XDG_STATE_HOME counts as unset, as freedesktop.org
  // directs, so a run from another folder never scatters journals around.
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string folder;
  if (state != nullptr && state[0] == '/') {
    folder = state;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home != nullptr ? home : "") + "/.local/state";
  }
  if (folder.back() != '/') folder += '/';
  return folder + "lyrivane/";
}

std::vector<JournalRun> readJournalRuns() {
  std::vector<std::string> files;
  std::error_code ec;
  for (fs::directory_iterator it(fs::path(journalFolder()), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > sizeof kSuffix - 1 &&
        name.compare(name.size() - (sizeof kSuffix - 1), std::string::npos, kSuffix) == 0)
      files.push_back(it->path().string());
  }
  // The names begin with the start time, zero-padded: name order is time order.
  std::sort(files.begin(), files.end());
  std::vector<JournalRun> runs;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    runs.push_back(parseJournal(text.str()));
    runs.back().file = file;
  }
  return runs;
}

bool markRunUndone(const JournalRun& run, std::int64_t undoTime) {
  platform::DurableAppendFile file;
  return file.open(platform::utf8ToLocal(run.file)) && file.append(journalUndoneLine(undoTime));
}

// ---- the writer --------------------------------------------------------------------------

bool RenameJournal::ensureOpen() {
  if (file_.isOpen()) return true;
  if (failed_) return false;
  const std::string folder = journalFolder();
  std::error_code ec;
  fs::create_directories(fs::path(folder), ec);
  const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
  char name[64];
  std::snprintf(name, sizeof name, "%020lld-%08x%s", static_cast<long long>(nanos),
                static_cast<unsigned>(std::random_device()()), kSuffix);
  if (!file_.open(platform::utf8ToLocal(folder + name)) ||
      !file_.append(journalHeaderLine(now()))) {
    failed_ = true;
    file_.close();
    std::fprintf(stderr,
                 "lyrivane rename: cannot write the undo journal in %s: these renames cannot be "
                 "undone\n",
                 folder.c_str());
    return false;
  }
  return true;
}

void RenameJournal::write(const std::string& line) {
  if (!file_.isOpen()) return;
  if (!file_.append(line)) {
    failed_ = true;
    file_.close();
    std::fputs("lyrivane rename: writing the undo journal failed: later renames cannot be undone\n",
               stderr);
  }
}

void RenameJournal::recordMove(const std::string& fromLocal, const std::string& toLocal) {
  if (ensureOpen())
    write(journalMoveLine(absolutePath(platform::localToUtf8(fromLocal)),
                          absolutePath(platform::localToUtf8(toLocal))));
}

void RenameJournal::moveRefused() { write(journalRefusedLine()); }

void RenameJournal::finish() {
  write(journalEndLine());
  file_.close();
}

}  // namespace cli
