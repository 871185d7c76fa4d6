// The window procedure that forwards to Window objects, and the modal loop.
#include "ui/window_win.h"

namespace ui {

LRESULT CALLBACK Window::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    self = static_cast<Window*>(create->lpCreateParams);
    if (self != nullptr) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  // No exception may cross into the system's code that called us: a handler that fails
  // (out of memory, say) has done nothing more, and its window goes on. A window that
  // fails while being made is not made.
  LRESULT result = 0;
  try {
    result = self->handleMessage(message, wParam, lParam);
  } catch (...) {
    result = message == WM_CREATE ? -1 : 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    try {
      self->onFinalMessage();
    } catch (...) {
    }
  }
  return result;
}

HWND Window::createWindow(DWORD exStyle, const char* className, const std::string& caption,
                          DWORD style, int x, int y, int width, int height, HWND parent) {
  return CreateWindowExA(exStyle, className, caption.c_str(), style, x, y, width, height, parent,
                         nullptr, GetModuleHandleA(nullptr), this);
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

bool registerWindowClass(const WNDCLASSEXA& definition) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(definition.hInstance, definition.lpszClassName, &existing)) return true;
  return RegisterClassExA(&definition) != 0;
}

bool registerWindowClass(const char* className, UINT classStyle, int iconResource) {
  WNDCLASSEXA definition{};
  definition.cbSize = sizeof definition;
  definition.style = classStyle;
  definition.lpfnWndProc = Window::procedure;
  definition.hInstance = GetModuleHandleA(nullptr);
  definition.hIcon = LoadIconA(definition.hInstance, MAKEINTRESOURCEA(iconResource));
  definition.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  definition.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  definition.lpszClassName = className;
  return registerWindowClass(definition);
}

void runModal(HWND window) {
  MSG msg;
  while (IsWindow(window)) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (got == -1) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace ui
