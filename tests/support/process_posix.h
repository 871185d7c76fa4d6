// Runs helper programs (encoders, taggers, the lyrivane command line) from Linux tests.
#pragma once

#include <string>

namespace testing_support {

struct CommandResult {
  int exitCode = -1;  // -1 when the command could not run or was killed
  std::string out;    // standard output
};

// Runs `command` with /bin/sh; standard error goes to the test's own stderr.
CommandResult runCommand(const std::string& command);

// Single-quotes a word for /bin/sh.
std::string shellQuote(const std::string& word);

// The lyrivane command line built beside the tests.
std::string lyrivaneBinary();

}  // namespace testing_support
