// StyledMessageBox: the program's own message window. Unlike the platform's message box it
// does not wait: the call returns as soon as the box is on screen and the box stays until
// its one button is pressed, so several can be open at once.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace app {

struct StyledMessageBoxOptions {
  UINT icon = MB_ICONINFORMATION;  // 64, the only icon the program uses
  HWND owner = nullptr;            // centred on it when given, on the screen otherwise
  int width = 405;
  int height = 175;
  std::function<void()> onClosed;  // runs once the box is gone
};

// Identifiers of the box's controls.
enum StyledMessageBoxControl : int {
  kStyledBoxButton = IDOK,  // "确定"
  kStyledBoxText = 1101,
  kStyledBoxIcon = 1102,
};

// Shows `text` (local text) under the caption `title` with the icon and the button "确定".
// Returns the box's window, already visible, or null when it could not be made.
HWND showStyledMessageBox(const std::string& text, const std::string& title,
                          const StyledMessageBoxOptions& options = {});

}  // namespace app
