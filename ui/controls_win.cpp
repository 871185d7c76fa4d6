// Creating and reading child controls.
#include "ui/controls_win.h"

#include <commctrl.h>

#include <vector>

namespace ui {

HWND createControl(HWND parent, const ControlDefinition& definition, HFONT font) {
  DWORD style = definition.style | WS_CHILD;
  if (definition.visible) style |= WS_VISIBLE;
  HWND control =
      CreateWindowExA(0, definition.className, definition.caption.c_str(), style, definition.x,
                      definition.y, definition.width, definition.height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(definition.id)),
                      GetModuleHandleA(nullptr), nullptr);
  if (control != nullptr && font != nullptr) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return control;
}

std::string windowText(HWND window) {
  // WM_GETTEXT rather than GetWindowTextA: it also reaches controls of other processes.
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT got =
      SendMessageA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  if (got <= 0) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(got));
}

void setWindowText(HWND window, const std::string& text) { SetWindowTextA(window, text.c_str()); }

std::string windowClassName(HWND window) {
  char name[256] = {};
  const int got = GetClassNameA(window, name, sizeof name);
  return got > 0 ? std::string(name, static_cast<std::size_t>(got)) : std::string();
}

RECT rectInParent(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  HWND parent = GetParent(window);
  if (parent != nullptr && (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) != 0) {
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  return rect;
}

bool insertListColumn(HWND listView, int index, const std::string& header, int width) {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<char*>(header.c_str());
  column.cx = width;
  column.iSubItem = index;
  return SendMessageA(listView, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(&column)) == index;
}

std::string listColumnHeader(HWND listView, int index) {
  char text[256] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT;
  column.pszText = text;
  column.cchTextMax = sizeof text;
  if (!SendMessageA(listView, LVM_GETCOLUMNA, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&column))) {
    return {};
  }
  return text;
}

}  // namespace ui
