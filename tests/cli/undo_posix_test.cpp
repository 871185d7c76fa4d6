// `lyrivane undo` on real songs renamed by `lyrivane rename`: every song goes back to its
// old name with its bytes unchanged, nothing is ever replaced, and a run killed mid-way is
// taken back exactly as far as it went.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "platform/text.h"
#include "tests/support/cli_songs_posix.h"
#include "tests/support/process_posix.h"

namespace {

namespace fs = std::filesystem;
using testing_support::CommandResult;
using testing_support::lyrivaneBinary;
using testing_support::runCommand;
using testing_support::shellQuote;

class CliUndo : public testing_support::CliSongFolder {
 protected:
  // The journal lives in this test's own state folder.
  std::string stateHome() const { return platform::localToUtf8(state_.path()); }

  CommandResult lyrivane(const std::string& args) {
    return runCommand("XDG_STATE_HOME=" + shellQuote(stateHome()) + " " + lyrivaneBinary() + " " +
                      args + " 2>/dev/null");
  }

  testing_support::TempDir state_;
};

TEST_F(CliUndo, TakesARunBackToTheSameNamesAndBytes) {
  song("track01.mp3", "mp3", "青花瓷", "周杰伦");
  song("tab\tand \\ back.flac", "flac", "Clair de Lune", "Debussy");
  song("sub/download(1).ogg", "ogg", "茉莉花");
  song("New Recording 7.wma", "wma", "Bohemian Rhapsody", "Queen");
  snapshot();
  const auto before = names();
  // A dry run leaves no journal.
  ASSERT_EQ(lyrivane("rename -r --dry-run " + shellQuote(root())).exitCode, 0);
  EXPECT_EQ(lyrivane("undo --list").out, "");
  // Relative paths, as typed in the folder; undo runs from elsewhere.
  ASSERT_EQ(runCommand("cd " + shellQuote(root()) + " && XDG_STATE_HOME=" +
                       shellQuote(stateHome()) + " " + lyrivaneBinary() + " rename -r .")
                .exitCode,
            0);
  ASSERT_NE(names(), before);

  const auto list = lyrivane("undo --list").out;
  EXPECT_NE(list.find("  4 songs  " + root() + "\n"), std::string::npos) << list;
  const auto dry = lyrivane("undo --dry-run");
  EXPECT_EQ(dry.exitCode, 0);
  const auto undo = lyrivane("undo");
  EXPECT_EQ(undo.exitCode, 0);
  EXPECT_EQ(undo.out, dry.out);
  const std::string R = root();
  // Newest rename first.
  EXPECT_EQ(undo.out, R + "青花瓷(周杰伦).mp3 -> " + R + "track01.mp3\n" + R +
                          "Clair de Lune(Debussy).flac -> " + R + "tab\tand \\ back.flac\n" + R +
                          "sub/茉莉花().ogg -> " + R + "sub/download(1).ogg\n" + R +
                          "Bohemian Rhapsody(Queen).wma -> " + R + "New Recording 7.wma\n");
  EXPECT_EQ(names(), before);
  EXPECT_NE(lyrivane("undo --list").out.find("  (undone)\n"), std::string::npos);
  // Nothing is left to undo.
  const auto again = lyrivane("undo --json");
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.out, "[]\n");
}

TEST_F(CliUndo, ATakenOldNameAndADeletedSongAreReportedAndTheRestRestored) {
  song("a.mp3", "mp3", "A", "x");
  song("b.ogg", "ogg", "B", "x");
  song("c.flac", "flac", "C", "x");
  ASSERT_EQ(lyrivane("rename " + shellQuote(root())).exitCode, 0);
  file("a.mp3", "a new file under the old name");
  fs::remove(root() + "B(x).ogg");
  snapshot();
  const auto r = lyrivane("undo --json");
  EXPECT_EQ(r.exitCode, 1);
  const std::string R = root();
  EXPECT_EQ(r.out, "[\n  {\"path\": \"" + R + "C(x).flac\", \"oldPath\": \"" + R +
                       "c.flac\", \"status\": \"restored\", \"reason\": \"\"},\n"
                       "  {\"path\": \"" +
                       R + "B(x).ogg\", \"oldPath\": \"" + R +
                       "b.ogg\", \"status\": \"failed\", \"reason\": \"moved or deleted since\"},\n"
                       "  {\"path\": \"" +
                       R + "A(x).mp3\", \"oldPath\": \"" + R +
                       "a.mp3\", \"status\": \"failed\", \"reason\": \"old name taken\"}\n]\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"A(x).mp3", "a.mp3", "c.flac"}));
}

TEST_F(CliUndo, TwoRunsAreUndoneInTurnNewestFirst) {
  song("one.mp3", "mp3", "First", "x");
  ASSERT_EQ(lyrivane("rename " + shellQuote(root() + "one.mp3")).exitCode, 0);
  // The second run renames the first run's song again, through a name the first one freed.
  std::rename((root() + "First(x).mp3").c_str(), (root() + "two.mp3").c_str());
  song("one.mp3", "mp3", "Second", "y");
  snapshot();
  ASSERT_EQ(lyrivane("rename " + shellQuote(root())).exitCode, 0);
  EXPECT_EQ(names(), (std::vector<std::string>{"First(x).mp3", "Second(y).mp3"}));
  EXPECT_EQ(lyrivane("undo").exitCode, 0);
  EXPECT_EQ(names(), (std::vector<std::string>{"one.mp3", "two.mp3"}));
  // The first run's song left its new name since (the user moved it to two.mp3): reported,
  // and the file now at its old name is not touched.
  const auto older = lyrivane("undo");
  EXPECT_EQ(older.exitCode, 1);
  EXPECT_EQ(older.out, root() + "First(x).mp3: not restored: moved or deleted since\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"one.mp3", "two.mp3"}));
}

// A run over many songs is killed at a random point; undo puts back exactly what moved.
TEST_F(CliUndo, ARunKilledMidwayIsUndoneExactly) {
  songs("many", "mp3", 300);
  snapshot();
  const auto before = names();
  std::random_device random;
  const int killAfter = std::uniform_int_distribution<int>(3, 120)(random);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setenv("XDG_STATE_HOME", stateHome().c_str(), 1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl(lyrivaneBinary().c_str(), "lyrivane", "rename", (root() + "many").c_str(), nullptr);
    _exit(127);
  }
  // Watch the journal grow and kill the run once it has recorded `killAfter` renames.
  const std::string journals = stateHome() + "lyrivane";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (int moves = 0; moves < killAfter && std::chrono::steady_clock::now() < deadline;) {
    std::error_code ec;
    for (fs::directory_iterator it(journals, ec), end; !ec && it != end; it.increment(ec)) {
      std::ifstream in(it->path());
      std::stringstream text;
      text << in.rdbuf();
      const std::string s = text.str();
      moves = 0;
      for (std::size_t at = s.find("move\t"); at != std::string::npos;
           at = s.find("move\t", at + 1))
        ++moves;
    }
  }
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it could be killed";
  const auto moved = names();
  EXPECT_NE(moved, before);
  EXPECT_NE(lyrivane("undo --list").out.find("  (interrupted)\n"), std::string::npos);

  const auto undo = lyrivane("undo");
  EXPECT_EQ(undo.exitCode, 0) << undo.out;
  EXPECT_EQ(names(), before);
  // Each song it reports restored was one that had moved.
  std::size_t restored = 0;
  for (std::size_t at = undo.out.find(" -> "); at != std::string::npos;
       at = undo.out.find(" -> ", at + 1))
    ++restored;
  std::size_t renamedNames = 0;
  for (const auto& name : moved) renamedNames += name.find("Title ") != std::string::npos;
  EXPECT_EQ(restored, renamedNames);
}

TEST_F(CliUndo, Usage) {
  EXPECT_EQ(lyrivane("undo --bogus").exitCode, 2);
  EXPECT_EQ(lyrivane("undo --help").exitCode, 0);
}

}  // namespace
