// `make install` as a user gets it: the command, its manual page and its bash completion,
// installed from the build by CMake into a fresh prefix. The page and the completion know
// every command and option that the command's own help lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "platform/text.h"
#include "tests/support/process_posix.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::runCommand;
using testing_support::shellQuote;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The commands, options and environment variables a help text names.
std::set<std::string> namesIn(const std::string& help, const std::regex& pattern) {
  std::set<std::string> names;
  for (std::sregex_iterator it(help.begin(), help.end(), pattern), end; it != end; ++it)
    names.insert((*it)[1]);
  return names;
}

class Install : public testing::Test {
 protected:
  void SetUp() override {
    prefix_ = platform::localToUtf8(dir_.path());
    ASSERT_EQ(runCommand("cmake --install " + shellQuote(LYRIVANE_BINARY_DIR) + " --prefix " +
                         shellQuote(prefix_) + " >/dev/null")
                  .exitCode,
              0);
  }
  std::string lyrivane(const std::string& args) {
    return runCommand(shellQuote(prefix_ + "bin/lyrivane") + " " + args).out;
  }
  testing_support::TempDir dir_;
  std::string prefix_;
};

TEST_F(Install, TheManualPageAndTheCompletionKnowEveryCommandAndOption) {
  EXPECT_TRUE(
      std::regex_match(lyrivane("--version"), std::regex("lyrivane [0-9]+\\.[0-9]+\\.[0-9]+\n")));
  const std::string page = prefix_ + "share/man/man1/lyrivane.1";
  const std::string completion = prefix_ + "share/bash-completion/completions/lyrivane";
  const std::string man = readFile(page);
  const std::string complete = readFile(completion);
  // groff formats the page without a warning.
  EXPECT_EQ(runCommand("groff -man -ww -z -K utf8 -Tutf8 " + shellQuote(page) + " 2>&1").out, "");

  const std::set<std::string> commands =
      namesIn(lyrivane("--help"), std::regex("\n  ([a-z]+) [\\[A-Z]"));
  EXPECT_GE(commands.size(), 4u);
  for (const auto& command : commands) {
    EXPECT_NE(man.find(".B lyrivane " + command), std::string::npos) << command;
    EXPECT_NE(complete.find(command + ")"), std::string::npos) << command;
    const std::string help = lyrivane(command + " --help");
    // Roff writes a dash as "\-".
    for (const auto& option : namesIn(help, std::regex("[ \\[](--?[a-z][a-z-]*)"))) {
      const std::string roff = std::regex_replace(option, std::regex("-"), "\\-");
      EXPECT_NE(man.find(roff), std::string::npos) << command << " " << option;
      EXPECT_NE(complete.find(option), std::string::npos) << command << " " << option;
    }
    for (const auto& variable : namesIn(help, std::regex("(LYRIVANE_[A-Z_]+)")))
      EXPECT_NE(man.find(variable), std::string::npos) << variable;
  }

  // bash completes the options of a command.
  const auto reply =
      runCommand("bash -c 'source /usr/share/bash-completion/bash_completion; source " +
                 shellQuote(completion) +
                 "; COMP_WORDS=(lyrivane undo --); COMP_CWORD=2; COMP_LINE=\"lyrivane undo --\"; "
                 "COMP_POINT=${#COMP_LINE}; _lyrivane; echo \"${COMPREPLY[*]}\"'");
  EXPECT_EQ(reply.out, "--dry-run --json --list --help\n");
}

}  // namespace
