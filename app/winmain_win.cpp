// Lyrivane.exe: the Windows program's entry point.
#include <windows.h>

#include "app/startup_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return app::runProgram(app::commandLineArguments());
}
