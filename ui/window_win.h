// Windows whose messages go to a C++ object, the one way every window of the program is
// wrapped, and the modal loop that windows opened "modally with no parent" run.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

class Window {
 public:
  Window() = default;
  virtual ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }

  // The window procedure of every class the program registers. The object comes in
  // CreateWindowExA's last argument and is kept in GWLP_USERDATA. An exception from a
  // handler stops there: the message gives 0 (-1 for WM_CREATE, so creation fails).
  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // Creates the window for this object; its messages arrive in handleMessage from
  // WM_NCCREATE on.
  HWND createWindow(DWORD exStyle, const char* className, const std::string& caption, DWORD style,
                    int x, int y, int width, int height, HWND parent);

  // Anything not handled goes to DefWindowProcA.
  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // After WM_NCDESTROY: the handle is gone; an object that owns itself may delete itself.
  virtual void onFinalMessage() {}

 private:
  HWND hwnd_ = nullptr;
};

// Registers a window class that sends its messages to Window objects. Registering the same
// class again is not an error.
bool registerWindowClass(const WNDCLASSEXA& definition);

// The program's windows: class styles of their own, the program's icon from the resources,
// the arrow cursor and the button-face background (COLOR_BTNFACE + 1).
bool registerWindowClass(const char* className, UINT classStyle, int iconResource);

// Processes messages until `window` is destroyed. A WM_QUIT that arrives meanwhile ends the
// loop and is posted again, so the loop that runs the program sees it too.
void runModal(HWND window);

}  // namespace ui
