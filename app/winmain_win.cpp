// Lyrivane.exe: the Windows program's entry point.
#include <windows.h>

#include "app/startup_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Window procedures stop their own exceptions; one from start-up or the end of the
  // program ends it with a failure code instead of the runtime's abort.
  try {
    return app::runProgram(app::commandLineArguments());
  } catch (...) {
    return 1;
  }
}
