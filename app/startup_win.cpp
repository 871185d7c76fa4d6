// Start-up: state, libraries, font, window class, MainWindow, message loop.
#include "app/startup_win.h"

#include <commctrl.h>
#include <ole2.h>
#include <stdlib.h>

#include "app/main_window_win.h"
#include "app/shell_state.h"
#include "app/shell_texts.h"
#include "ui/fonts_win.h"
#include "ui/gdiplus_win.h"
#include "ui/skin_canvas_win.h"
#include "ui/skin_engine_win.h"
#include "ui/transparent_label_win.h"
#include "ui/window_win.h"

namespace app {

const char kMyWindowClass[] = "MyWindow";

namespace {

// The interface font's character height in pixels: 9 points on a 96-dpi screen.
constexpr int kInterfaceFontHeight = 12;
// The skin's colour until the built-in picture replaces it: red 0x00, green 0x60, blue 0xC0.
constexpr COLORREF kStartSkinColour = RGB(0x00, 0x60, 0xC0);

struct ShellResources {
  bool started = false;
  bool oleStarted = false;
  ULONG_PTR gdiplusToken = 0;
  std::string fontFamily;
  ui::Font font;
};

ShellResources& resources() {
  static ShellResources r;
  return r;
}

bool registerMyWindow() {
  return ui::registerWindowClass(kMyWindowClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                 kProgramIconResource);
}

}  // namespace

bool startShell() {
  ShellResources& r = resources();
  if (r.started) return true;

  startShellState();
  // Before any window exists, so no check box or radio button paints without its glyph.
  ui::loadGlyphSheet();

  // Drag and drop needs OLE, not just COM, on the GUI thread.
  r.oleStarted = SUCCEEDED(OleInitialize(nullptr));

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
  InitCommonControlsEx(&controls);

  Gdiplus::GdiplusStartupInput gdiplusInput;
  if (Gdiplus::GdiplusStartup(&r.gdiplusToken, &gdiplusInput, nullptr) != Gdiplus::Ok) {
    r.gdiplusToken = 0;
  }

  const ShellTexts& texts = shellTexts();
  r.fontFamily = ui::chooseFontFamily(texts.yaHeiFont, texts.simSunFont);
  r.font = ui::createFont(r.fontFamily, kInterfaceFontHeight);
  ui::setSkinFont(r.font.get());
  ui::applySkinColour(kStartSkinColour);

  r.started = r.oleStarted && r.font && registerMyWindow();
  return r.started;
}

void stopShell() {
  ShellResources& r = resources();
  ui::releaseSkin();
  ui::setSkinFont(nullptr);
  r.font.reset();
  if (r.gdiplusToken != 0) Gdiplus::GdiplusShutdown(r.gdiplusToken);
  r.gdiplusToken = 0;
  if (r.oleStarted) OleUninitialize();
  r.oleStarted = false;
  r.started = false;
}

HFONT interfaceFont() { return resources().font.get(); }

const std::string& interfaceFontFamily() { return resources().fontFamily; }

int runMessageLoop() {
  MSG msg;
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void endProgram() { PostQuitMessage(0); }

std::vector<std::string> commandLineArguments() {
  // The C runtime has already split the ANSI command line the usual way (quotes removed).
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
  return arguments;
}

int runProgram(const std::vector<std::string>& arguments) {
  if (!startShell()) return 1;
  int exitCode = 1;
  {
    MainWindow main;
    if (main.load(arguments) != nullptr) exitCode = runMessageLoop();
  }
  stopShell();
  return exitCode;
}

}  // namespace app
