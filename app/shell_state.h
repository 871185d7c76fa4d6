// The shell's program-wide state: one instance of each, empty at start, released when the
// process ends. Texts are local text (see platform/text.h).
#pragma once

#include <cstdint>
#include <string>

namespace app {

// Full path of the song being added, renamed or shown; the readers' input.
extern std::string currentSongPath;
// The paths the last open dialog or drop delivered, joined by "\r\n".
extern std::string lastSelection;
// The folder, with its trailing "\\", that renamed songs are written into.
extern std::string songFolder;
// 1 when the program was started with "-lrc": only the lyrics window is used.
extern std::int32_t lyricsOnlyMode;
// The temporary WAVE file speech input records into; renewed by every lyrics window.
extern std::string recordingFile;

// Start-up: every piece of state empty, and the clean-up registered to run at process end.
void startShellState();

// Empties the state and gives its storage back. Registered by startShellState; tests call
// it directly to start each case afresh.
void releaseShellState();

}  // namespace app
