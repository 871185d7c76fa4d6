// ResultWindow: the window, its browser control and the one option switched on.
#include "app/result_window_win.h"

#include "app/startup_win.h"
#include "ui/controls_win.h"
#include "ui/skin_engine_win.h"

namespace app {

namespace {

constexpr int kLeft = 50, kTop = 50, kWidth = 559, kHeight = 452;
// 超文本浏览框1: 8 pixels in from the frame, which the skin draws inside the window, below
// its caption.
constexpr int kBrowserTop = 8 + ui::kSkinCaptionHeight;
constexpr RECT kBrowserArea{8, kBrowserTop, 8 + 536, kBrowserTop + 408};

}  // namespace

HWND ResultWindow::open() {
  if (!ui::registerWindowClass(kResultWindowClass, CS_HREDRAW | CS_VREDRAW, kProgramIconResource)) {
    return nullptr;
  }
  // Owned by its window from WM_NCCREATE on, deleted after WM_NCDESTROY.
  auto* window = new ResultWindow();
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  // No caption of its own: the page's title becomes its caption.
  HWND hwnd =
      window->createWindow(0, kResultWindowClass, "", style, kLeft, kTop, kWidth, kHeight, nullptr);
  if (hwnd == nullptr) {
    delete window;
    return nullptr;
  }
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  return hwnd;
}

ResultWindow* ResultWindow::of(HWND window) {
  if (window == nullptr || ui::windowClassName(window) != kResultWindowClass) return nullptr;
  // The window procedure keeps the object as the Window it was created through.
  return static_cast<ResultWindow*>(
      reinterpret_cast<ui::Window*>(GetWindowLongPtrA(window, GWLP_USERDATA)));
}

bool ResultWindow::navigate(HWND window, const std::string& address) {
  ResultWindow* self = of(window);
  if (self == nullptr) return false;
  self->address_ = address;
  return self->browser_.navigate(address);
}

std::string ResultWindow::navigatedAddress(HWND window) {
  const ResultWindow* self = of(window);
  return self != nullptr ? self->address_ : std::string();
}

bool ResultWindow::hasBrowser(HWND window) {
  const ResultWindow* self = of(window);
  return self != nullptr && self->browser_.created();
}

LRESULT ResultWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      ui::attachSkin(hwnd());
      // The one option set on the control: silent, so a script error on a result page
      // never stops the user with a dialog of the browser's own.
      if (browser_.create(hwnd(), kBrowserArea)) browser_.setSilent(true);
      return 0;
    case WM_DESTROY:
      browser_.destroy();
      return 0;
    default:
      return Window::handleMessage(message, wParam, lParam);
  }
}

}  // namespace app
