// The program's command line: the one switch that chooses how a run begins.
#pragma once

#include <string>
#include <vector>

namespace app {

enum class StartMode {
  normal,      // MainWindow, no message
  lyricsOnly,  // "-lrc": only the lyrics window, in its compact layout
  help,        // "-h": the help text, and no main window
};

// The arguments after the program name (quoted ones without their quotes), in local text,
// are joined with no separator, split at "/", and only the last part is compared, byte for
// byte: "-lrc" first, then "-h". Anything else, and no part at all, is the normal run. So
// "x/-lrc" and "-lrc/" mean "-lrc", while "-h" "-lrc" (joined "-h-lrc") and "-LRC" do not.
StartMode startModeFor(const std::vector<std::string>& arguments);

}  // namespace app
