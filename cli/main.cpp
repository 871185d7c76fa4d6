// `lyrivane`: the portable command line. Reads song tags, renames songs and looks titles
// up from lyrics, as the Windows program does, for scripts and for Linux.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>

#include "cli/commands.h"
#include "lyrivane_version.h"

namespace {

const char kUsage[] =
    "usage: lyrivane COMMAND [OPTIONS] ARGS...\n"
    "commands:\n"
    "  info [--json] PATH...      show each song's title - artist (or every tag field)\n"
    "  rename [--dry-run] [--json] [-r] PATH...  rename songs to Title(Artist).ext\n"
    "  lookup [--service NAME] [--json] LYRICS...  song titles from a line of lyrics\n"
    "  recognize [--json] FILE.wav  the words spoken in a recording\n"
    "  undo [--dry-run] [--json] | --list  take back the last rename run\n"
    "run 'lyrivane COMMAND --help' for a command's options, 'lyrivane --version' for the\n"
    "version.\n";

struct Command {
  const char* name;
  int (*run)(const cli::Args&);
};

const Command kCommands[] = {
    {"info", cli::runInfo},           {"rename", cli::runRename}, {"lookup", cli::runLookup},
    {"recognize", cli::runRecognize}, {"undo", cli::runUndo},
};

int run(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? cli::kExitUsage : cli::kExitOk;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::puts("lyrivane " LYRIVANE_VERSION);
    return cli::kExitOk;
  }
  const cli::Args args(argv + 2, argv + argc);
  for (const auto& command : kCommands)
    if (std::strcmp(argv[1], command.name) == 0) return command.run(args);
  std::fprintf(stderr, "lyrivane: unknown command '%s'\n%s", argv[1], kUsage);
  return cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  // Songs that cannot be read are reported by the commands; what still fails (no memory
  // for the list of songs, say) is reported here, not left to the runtime's abort.
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lyrivane: %s\n", e.what());
  } catch (...) {
    std::fputs("lyrivane: internal error\n", stderr);
  }
  return cli::kExitFailed;
}
