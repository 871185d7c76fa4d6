// Runs helper programs from Linux tests.
#include "tests/support/process_posix.h"

#include <stdio.h>
#include <sys/wait.h>

namespace testing_support {

CommandResult runCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) result.out.append(buf, n);
  const int status = pclose(pipe);
  if (status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

std::string shellQuote(const std::string& word) {
  std::string out = "'";
  for (char c : word) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

std::string lyrivaneBinary() { return std::string(LYRIVANE_BINARY_DIR) + "/lyrivane"; }

}  // namespace testing_support
