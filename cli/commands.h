// The subcommands of the `lyrivane` command line. Each takes the arguments after its own
// name (UTF-8, as the terminal gives them) and returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace cli {

using Args = std::vector<std::string>;

// Exit codes shared by every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // a song could not be read or renamed
constexpr int kExitUsage = 2;

int runInfo(const Args& args);
int runRename(const Args& args);
int runLookup(const Args& args);
int runRecognize(const Args& args);
int runUndo(const Args& args);

}  // namespace cli
