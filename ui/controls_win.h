// Child controls, all made and read the same way: one description per control (the row of
// a window's layout table), texts in local text through the ...A calls.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct ControlDefinition {
  int id;                 // the WM_COMMAND identifier
  const char* className;  // "Button", "Static", WC_LISTVIEWA...
  std::string caption;
  DWORD style;              // WS_CHILD is always added; WS_VISIBLE when `visible`
  int x, y, width, height;  // client coordinates of the parent
  bool visible;
};

// Creates the control and gives it `font` (none when null).
HWND createControl(HWND parent, const ControlDefinition& definition, HFONT font);

std::string windowText(HWND window);
void setWindowText(HWND window, const std::string& text);
std::string windowClassName(HWND window);

// The window's rectangle in its parent's client coordinates (screen coordinates for a
// top-level window).
RECT rectInParent(HWND window);

// A report-style list view column, appended at `index`.
bool insertListColumn(HWND listView, int index, const std::string& header, int width);
std::string listColumnHeader(HWND listView, int index);

}  // namespace ui
