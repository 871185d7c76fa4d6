// MainWindow: layout, creation handler, command line, and where its events go.
#include "app/main_window_win.h"

#include <commctrl.h>
#include <ole2.h>

#include "app/command_line.h"
#include "app/lyrics_window_win.h"
#include "app/shell_state.h"
#include "app/shell_texts.h"
#include "app/startup_win.h"
#include "app/styled_message_box_win.h"
#include "tags/song_info.h"
#include "ui/controls_win.h"
#include "ui/file_drop_target_win.h"
#include "ui/fonts_win.h"

namespace app {

namespace {

MainWindow* g_mainWindow = nullptr;

constexpr int kLeft = 50, kTop = 50, kWidth = 331, kHeight = 336;
constexpr int kSongListColumnWidth = 100;
constexpr int kBusyFontHeight = 18;

bool registerMainWindowClass() {
  WNDCLASSEXA definition{};
  definition.cbSize = sizeof definition;
  definition.style = CS_HREDRAW | CS_VREDRAW;
  definition.lpfnWndProc = ui::Window::procedure;
  definition.hInstance = GetModuleHandleA(nullptr);
  definition.hIcon = LoadIconA(definition.hInstance, MAKEINTRESOURCEA(kProgramIconResource));
  definition.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  definition.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  definition.lpszClassName = kMainWindowClass;
  return ui::registerWindowClass(definition);
}

// The picture button's face: a small framed landscape, drawn once per window.
ui::Bitmap drawPictureFace() {
  constexpr int kSide = 14;
  ui::WindowDC screen(nullptr);
  ui::Bitmap face(CreateCompatibleBitmap(screen.get(), kSide, kSide));
  ui::MemoryDC canvas(screen.get());
  if (!face || canvas.get() == nullptr) return face;
  ui::SelectionGuard intoCanvas(canvas.get(), face.get());

  const RECT whole{0, 0, kSide, kSide};
  ui::Brush frame(CreateSolidBrush(RGB(0x40, 0x40, 0x40)));
  ui::Brush sky(CreateSolidBrush(RGB(0x9C, 0xCC, 0xF4)));
  ui::Brush hill(CreateSolidBrush(RGB(0x3C, 0x9A, 0x3C)));
  ui::Brush sun(CreateSolidBrush(RGB(0xF8, 0xC8, 0x30)));
  ui::Pen none(CreatePen(PS_NULL, 0, 0));
  FillRect(canvas.get(), &whole, frame.get());
  const RECT inside{1, 1, kSide - 1, kSide - 1};
  FillRect(canvas.get(), &inside, sky.get());
  ui::SelectionGuard noOutline(canvas.get(), none.get());
  {
    ui::SelectionGuard fill(canvas.get(), sun.get());
    Ellipse(canvas.get(), 8, 2, 12, 6);
  }
  {
    ui::SelectionGuard fill(canvas.get(), hill.get());
    const POINT land[] = {{1, 13}, {1, 9}, {5, 5}, {9, 10}, {11, 8}, {13, 10}, {13, 13}};
    Polygon(canvas.get(), land, static_cast<int>(sizeof land / sizeof land[0]));
  }
  return face;
}

}  // namespace

MainWindow* mainWindow() { return g_mainWindow; }

bool mainWindowHidden() {
  return g_mainWindow == nullptr || g_mainWindow->hwnd() == nullptr ||
         !IsWindowVisible(g_mainWindow->hwnd());
}

MainWindow::~MainWindow() {
  if (hwnd() != nullptr) DestroyWindow(hwnd());
}

HWND MainWindow::load(const std::vector<std::string>& arguments) {
  if (hwnd() != nullptr || !registerMainWindowClass()) return nullptr;
  g_mainWindow = this;
  hiddenByCommandLine_ = false;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  if (createWindow(0, kMainWindowClass, shellTexts().mainCaption, style, kLeft, kTop, kWidth,
                   kHeight, nullptr) == nullptr) {
    g_mainWindow = nullptr;
    return nullptr;
  }
  if (!createControls()) {
    DestroyWindow(hwnd());
    return nullptr;
  }
  onCreated(arguments);
  if (hwnd() != nullptr && !hiddenByCommandLine_) {
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
  }
  return hwnd();
}

void MainWindow::hide() {
  hiddenByCommandLine_ = true;
  ShowWindow(hwnd(), SW_HIDE);
}

bool MainWindow::createControls() {
  const ShellTexts& texts = shellTexts();
  HFONT font = interfaceFont();
  busyFont_ = ui::createFont(texts.yaHeiFont, kBusyFontHeight);
  pictureFace_ = drawPictureFace();

  // Each row: the control of the window definition, at its place, with its caption.
  const ui::ControlDefinition buttons[] = {
      {kButton3Add, "Button", texts.addButton, BS_PUSHBUTTON | WS_TABSTOP, 146, 37, 40, 21, true},
      {kButton1Remove, "Button", texts.removeButton, BS_PUSHBUTTON | WS_TABSTOP, 195, 37, 40, 21,
       true},
      {kButton2Start, "Button", texts.startButton, BS_PUSHBUTTON | WS_TABSTOP, 243, 36, 72, 21,
       true},
      {kPictureButton1, "Button", "", BS_PUSHBUTTON | BS_BITMAP, 199, 0, 20, 20, true},
  };
  for (const ui::ControlDefinition& definition : buttons) {
    if (ui::createControl(hwnd(), definition, font) == nullptr) return false;
  }
  SendMessageA(control(kPictureButton1), BM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(pictureFace_.get()));

  // The busy label lies over the middle of the list: both clip their siblings so the
  // label, made last and so on top, is not painted over by the list.
  const ui::ControlDefinition list{
      kSongList, WC_LISTVIEWA,
      "",        LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP | WS_CLIPSIBLINGS,
      9,         63,
      312,       264,
      true};
  HWND songs = ui::createControl(hwnd(), list, font);
  if (songs == nullptr) return false;
  SendMessageA(songs, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  const std::string* headers[] = {&texts.nameColumn, &texts.pathColumn, &texts.infoColumn};
  for (int i = 0; i < 3; ++i) {
    if (!ui::insertListColumn(songs, i, *headers[i], kSongListColumnWidth)) return false;
  }

  const ui::ControlDefinition busy{kLabel1Busy,
                                   "Static",
                                   texts.busyLabel,
                                   SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX | WS_CLIPSIBLINGS,
                                   11,
                                   147,
                                   309,
                                   72,
                                   false};
  return ui::createControl(hwnd(), busy, busyFont_.get()) != nullptr;
}

void MainWindow::onCreated(const std::vector<std::string>& arguments) {
  // The readers' tables are constants beside each reader; the one text they share that is
  // converted at run time is made now, before the first song is read.
  tags::noSongInfoText();

  // Dropping files on the song list is this window's second way in for songs.
  ui::FileDropTarget::registerOn(songList(),
                                 [this](const std::string& paths) { onFilesDropped(paths); });

  readCommandLine(arguments);
}

void MainWindow::readCommandLine(const std::vector<std::string>& arguments) {
  const ShellTexts& texts = shellTexts();
  switch (startModeFor(arguments)) {
    case StartMode::lyricsOnly:
      lyricsOnlyMode = 1;
      hide();
      // Returns when the lyrics window is gone; it ends the program as it goes.
      LyricsWindow::openModal();
      break;
    case StartMode::help: {
      StyledMessageBoxOptions options;
      // The help box is the only window left: closing it ends the program.
      options.onClosed = [] {
        if (mainWindowHidden()) endProgram();
      };
      showStyledMessageBox(texts.helpText, texts.infoTitle, options);
      hide();
      break;
    }
    case StartMode::normal:
      break;
  }
}

void MainWindow::onCommand(int id) {
  // "添加", "删除", "开始修改" and the picture button get their actions with the song
  // list, the rename run and the skin; until then a click changes nothing.
  (void)id;
}

void MainWindow::onFilesDropped(const std::string& paths) {
  // The intake of dropped songs arrives with the song list.
  (void)paths;
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) onCommand(LOWORD(wParam));
      return 0;
    case WM_DESTROY:
      RevokeDragDrop(songList());
      endProgram();
      return 0;
    case WM_NCDESTROY:
      if (g_mainWindow == this) g_mainWindow = nullptr;
      break;
    default:
      break;
  }
  return Window::handleMessage(message, wParam, lParam);
}

}  // namespace app
