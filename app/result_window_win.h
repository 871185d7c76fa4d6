// ResultWindow: a search service's result page in the web-browser control. Not modal, owns
// itself, and several may be open at once; each lives until the user closes it.
#pragma once

#include <windows.h>

#include <string>

#include "ui/web_browser_win.h"
#include "ui/window_win.h"

namespace app {

constexpr char kResultWindowClass[] = "ResultWindow";

class ResultWindow : public ui::Window {
 public:
  // Creates and shows a new ResultWindow with its browser control; its handle, or null.
  static HWND open();

  // Points the browser of the ResultWindow `window` at `address` and keeps the address.
  static bool navigate(HWND window, const std::string& address);
  // The address the window last told its browser to load, "" when it never did.
  static std::string navigatedAddress(HWND window);
  // True when the window holds a live browser control.
  static bool hasBrowser(HWND window);

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void onFinalMessage() override { delete this; }

 private:
  ResultWindow() = default;
  static ResultWindow* of(HWND window);

  ui::WebBrowser browser_;
  std::string address_;
};

}  // namespace app
