// The shell's program-wide state and its clean-up at process end.
#include "app/shell_state.h"

#include <cstdlib>

namespace app {

std::string currentSongPath;
std::string lastSelection;
std::string songFolder;
std::int32_t lyricsOnlyMode = 0;
std::string recordingFile;

namespace {

void releaseAtExit() { releaseShellState(); }

}  // namespace

void startShellState() {
  releaseShellState();
  static bool registered = false;
  if (!registered) {
    registered = std::atexit(releaseAtExit) == 0;
  }
}

void releaseShellState() {
  // swap with empty strings: clear() alone would keep the capacity.
  std::string().swap(currentSongPath);
  std::string().swap(lastSelection);
  std::string().swap(songFolder);
  std::string().swap(recordingFile);
  lyricsOnlyMode = 0;
}

}  // namespace app
