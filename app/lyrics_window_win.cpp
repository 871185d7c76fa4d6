// LyricsWindow: its two layouts, and the end of the lyrics-only run when it closes.
#include "app/lyrics_window_win.h"

#include "app/main_window_win.h"
#include "app/shell_state.h"
#include "app/shell_texts.h"
#include "app/startup_win.h"

namespace app {

namespace {

constexpr int kLeft = 50, kTop = 50;
constexpr int kFullWidth = 562, kFullHeight = 226;
constexpr int kCompactWidth = 490, kCompactHeight = 212;

bool registerLyricsWindowClass() {
  return ui::registerWindowClass(kLyricsWindowClass, CS_HREDRAW | CS_VREDRAW, kProgramIconResource);
}

}  // namespace

void LyricsWindow::openModal() {
  if (!registerLyricsWindowClass()) return;
  LyricsWindow window;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  HWND hwnd = window.createWindow(0, kLyricsWindowClass, shellTexts().lyricsCaption, style, kLeft,
                                  kTop, kFullWidth, kFullHeight, nullptr);
  if (hwnd == nullptr) return;
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  ui::runModal(hwnd);
}

void LyricsWindow::onCreate() {
  // The window is defined in its full layout; the lyrics-only run narrows it right away.
  if (lyricsOnlyMode == 1) {
    SetWindowPos(hwnd(), nullptr, 0, 0, kCompactWidth, kCompactHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void LyricsWindow::onDestroy() {
  // Opened from a rename run, the run goes on when this window is gone. In the lyrics-only
  // run MainWindow is hidden and nothing else is left: the program ends.
  if (mainWindowHidden()) endProgram();
}

LRESULT LyricsWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      onCreate();
      return 0;
    case WM_DESTROY:
      onDestroy();
      return 0;
    default:
      return Window::handleMessage(message, wParam, lParam);
  }
}

}  // namespace app
