// LyricsWindow: its two layouts, the drawn captions, the recording file, the result panel,
// the preview panel, "应用", and the end of the lyrics-only run when it closes.
#include "app/lyrics_window_win.h"

#include <commctrl.h>

#include <cstdio>

#include "app/main_window_win.h"
#include "app/rename.h"
#include "app/shell_state.h"
#include "app/shell_texts.h"
#include "app/skin_picture_win.h"
#include "app/speech_input_win.h"
#include "app/startup_win.h"
#include "platform/file.h"
#include "platform/text.h"
#include "ui/controls_win.h"
#include "ui/fonts_win.h"
#include "ui/picture_face_win.h"
#include "ui/skin_canvas_win.h"
#include "ui/skin_engine_win.h"
#include "ui/transparent_label_win.h"

namespace app {

namespace {

constexpr int kLeft = 50, kTop = 50;
constexpr int kFullWidth = 562, kFullHeight = 226;
constexpr int kWideWidth = 744;  // the full layout with its result list in view
constexpr int kCompactWidth = 490, kCompactHeight = 212;
constexpr int kPictureLeftNarrow = 431, kPictureLeftWide = 613;
// 宋体 "size 12": a 12-pixel character height, so five characters fit a 72-pixel box.
constexpr int kCaptionFontHeight = 12;
constexpr int kBusyFontHeight = 18;
constexpr int kGroupX = 5, kGroupY = 110;  // 分组框1, the origin of its members

struct LyricsTexts {
  std::string query, voice, baidu, soso, apply, logStart, busy, notRight, preview, play, progress,
      volume, stop, currentSong, lyrics, newName;
};

const LyricsTexts& lyricsTexts() {
  static const LyricsTexts texts = [] {
    const auto local = [](const char* utf8) { return platform::utf8ToLocal(utf8); };
    LyricsTexts t;
    t.query = local("查询");
    t.voice = local("语音");
    t.baidu = local("百度服务器");
    t.soso = local("腾讯服务器");
    t.apply = local("应用");
    t.logStart = local("当前没有需要执行的任务");
    t.busy = local("正在查询，请稍后。。。");
    t.notRight = local("觉得歌名不对？");
    t.preview = local("歌曲试听");
    t.play = local("播放");
    t.progress = local("播放进度");
    t.volume = local("音量:");
    t.stop = local("停止");
    t.currentSong = local("当前歌曲：");
    t.lyrics = local("任意歌词：");
    t.newName = local("新歌名：");
    return t;
  }();
  return texts;
}

// The captions drawn on the background, each in a 72 x 24 box at its place.
struct DrawnCaption {
  const std::string* text;
  int x, y;
};

std::vector<DrawnCaption> drawnCaptions(bool compact) {
  const LyricsTexts& t = lyricsTexts();
  if (compact) return {{&t.lyrics, 0, 38}};
  return {{&t.currentSong, 0, 38}, {&t.lyrics, 0, 65}, {&t.newName, 315, 38}};
}

// The compact layout: what moves, what changes size, what is hidden.
struct CompactChange {
  int id;
  int x, y;         // -1 keeps the full layout's value
  int height = -1;  // likewise
};

const CompactChange kCompactChanges[] = {
    {kList1Results, 308, 37, 156}, {kTransparentLabel1, 380, 194},   {kGroup1Preview, 6, 85},
    {kEdit2Lyrics, 73, 37},        {kButton1Query, 243, 37},         {kButton4Voice, 275, 37},
    {kRadio1Baidu, 81, 63},        {kRadio2Soso, 194, 63},           {kButton5Stop, 80, 100},
    {kLabel4Busy, 117, 40},        {kPictureButton1Lyrics, 360, -1},
};
const int kHiddenWhenCompact[] = {kEdit1CurrentSong, kEdit4NewName, kEdit5Log, kButton2Apply};
const int kGroupMembers[] = {kButton3Play,  kLabel2Progress, kSlider1Progress,
                             kLabel3Volume, kSlider2Volume,  kEdit3Preview};

void moveControl(HWND control, int x, int y) {
  SetWindowPos(control, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void setWidth(HWND window, int width) {
  const RECT r = ui::rectInParent(window);
  SetWindowPos(window, nullptr, 0, 0, width, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void appendToEdit(HWND edit, const std::string& text) {
  const LRESULT end = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
  SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

}  // namespace

std::string reserveRecordingFile(const std::string& folder) {
  const DWORD tick = GetTickCount();
  for (DWORD counter = 0;; ++counter) {
    char name[16];
    std::snprintf(name, sizeof name, "%lx.tmp", static_cast<unsigned long>(tick + counter));
    const std::string path = folder + name;
    // CREATE_NEW fails on an existing name, so two windows never share one.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return path;
    }
    // Any other failure (no such folder, no right to write, a locked file) leaves no name
    // this window may later delete.
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
}

void LyricsWindow::openModal() {
  if (!ui::registerWindowClass(kLyricsWindowClass, CS_HREDRAW | CS_VREDRAW, kProgramIconResource)) {
    return;
  }
  LyricsWindow window;
  // Not WS_CLIPCHILDREN: a group box paints only its frame and caption, so the window's own
  // background must be painted under it.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  HWND hwnd = window.createWindow(0, kLyricsWindowClass, shellTexts().lyricsCaption, style, kLeft,
                                  kTop, kFullWidth, kFullHeight, nullptr);
  if (hwnd == nullptr) return;
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  ui::runModal(hwnd);
}

bool LyricsWindow::createControls() {
  const LyricsTexts& t = lyricsTexts();
  HFONT font = interfaceFont();
  captionFont_ = ui::createFont(shellTexts().simSunFont, kCaptionFontHeight);
  busyFont_ = ui::createFont(shellTexts().yaHeiFont, kBusyFontHeight);
  pictureFace_ = ui::drawPictureFace();

  const DWORD edit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
  const DWORD slider = TBS_HORZ | TBS_NOTICKS | WS_TABSTOP;
  const int gx = kGroupX, gy = kGroupY;
  // Each row: the control of the window definition, at its place in the full layout. The
  // group box comes before its members so that they are drawn over it.
  const ui::ControlDefinition controls[] = {
      {kGroup1Preview, "Button", t.preview, BS_GROUPBOX, gx, gy, 298, 106, true},
      {kButton3Play, "Button", t.play, button, gx + 10, gy + 18, 49, 24, true},
      {kLabel2Progress, "Static", t.progress, SS_NOPREFIX, gx + 10, gy + 48, 48, 24, true},
      {kSlider1Progress, TRACKBAR_CLASSA, "", slider, gx + 60, gy + 50, 231, 16, true},
      {kLabel3Volume, "Static", t.volume + "100", SS_NOPREFIX, gx + 9, gy + 74, 50, 24, true},
      {kSlider2Volume, TRACKBAR_CLASSA, "", slider, gx + 63, gy + 80, 64, 16, true},
      {kEdit3Preview, "Edit", "", edit, gx + 156, gy + 18, 120, 24, true},
      {kEdit1CurrentSong, "Edit", currentSongPath, edit, 72, 37, 232, 24, true},
      {kEdit2Lyrics, "Edit", "", edit, 72, 63, 168, 24, true},
      {kButton1Query, "Button", t.query, button, 242, 63, 32, 24, true},
      {kButton4Voice, "Button", t.voice, button, 276, 63, 32, 24, true},
      {kRadio1Baidu, "Button", t.baidu, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 80, 92, 80, 15,
       true},
      {kRadio2Soso, "Button", t.soso, BS_AUTORADIOBUTTON, 169, 92, 80, 15, true},
      {kEdit4NewName, "Edit", "", edit, 360, 37, 152, 24, true},
      {kButton2Apply, "Button", t.apply, button, 520, 37, 32, 24, true},
      {kEdit5Log, "Edit", t.logStart, ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER, 319,
       64, 232, 136, true},
      {kList1Results, "ListBox", "", LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER, 561, 28, 168,
       184, true},
      {kTransparentLabel1, "Static", t.notRight, SS_NOTIFY | SS_NOPREFIX, 464, 201, 88, 24, true},
      {kPictureButton1Lyrics, "Button", "", BS_PUSHBUTTON | BS_BITMAP, 431, 0, 20, 20, true},
      {kButton5Stop, "Button", t.stop, button, 71, 126, 57, 24, true},
      {kLabel4Busy, "Static", t.busy, SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX | WS_CLIPSIBLINGS,
       109, 192, 312, 72, false},
  };
  for (const ui::ControlDefinition& definition : controls) {
    HFONT own = definition.id == kLabel4Busy ? busyFont_.get() : font;
    if (ui::createControl(hwnd(), definition, own) == nullptr) return false;
  }
  SendMessageA(control(kPictureButton1Lyrics), BM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(pictureFace_.get()));
  SendMessageA(control(kRadio1Baidu), BM_SETCHECK, BST_CHECKED, 0);
  HWND progress = control(kSlider1Progress);
  SendMessageA(progress, TBM_SETRANGE, FALSE, MAKELPARAM(1, 1000));
  SendMessageA(progress, TBM_SETPAGESIZE, 0, 5);
  SendMessageA(progress, TBM_SETLINESIZE, 0, 1);
  HWND volume = control(kSlider2Volume);
  SendMessageA(volume, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
  SendMessageA(volume, TBM_SETPAGESIZE, 0, 5);
  SendMessageA(volume, TBM_SETLINESIZE, 0, 1);
  SendMessageA(volume, TBM_SETPOS, TRUE, 100);
  // The busy notice lies over other controls: raised to the top of the z-order.
  SetWindowPos(control(kLabel4Busy), HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

void LyricsWindow::applyCompactLayout() {
  SetWindowPos(hwnd(), nullptr, 0, 0, kCompactWidth, kCompactHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const CompactChange& change : kCompactChanges) {
    HWND item = control(change.id);
    const RECT was = ui::rectInParent(item);
    const int x = change.x >= 0 ? change.x : was.left;
    const int y = change.y >= 0 ? change.y : was.top;
    const int height = change.height >= 0 ? change.height : was.bottom - was.top;
    SetWindowPos(item, nullptr, x, y, was.right - was.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The group's members keep their places inside it.
    if (change.id != kGroup1Preview) continue;
    for (int member : kGroupMembers) {
      const RECT at = ui::rectInParent(control(member));
      moveControl(control(member), at.left + x - was.left, at.top + y - was.top);
    }
  }
  for (int id : kHiddenWhenCompact) ShowWindow(control(id), SW_HIDE);
}

void LyricsWindow::attachLabels() {
  for (int id : {kRadio1Baidu, kRadio2Soso, kTransparentLabel1})
    ui::attachTransparentLabel(control(id));
}

void LyricsWindow::drawCaptions(HDC dc) {
  ui::SelectionGuard font(dc, captionFont_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ui::textColour());
  for (const DrawnCaption& caption : drawnCaptions(compact_)) {
    RECT box{caption.x, caption.y, caption.x + 72, caption.y + 24};
    DrawTextA(dc, caption.text->c_str(), static_cast<int>(caption.text->size()), &box,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

void LyricsWindow::paintCaptions() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  if (dc == nullptr) return;
  drawCaptions(dc);
  EndPaint(hwnd(), &paint);
}

void LyricsWindow::onCommand(int id, int code) {
  switch (id) {
    case kButton1Query:
      if (code == BN_CLICKED) runLyricsQuery();
      break;
    case kTransparentLabel1:
      if (code == STN_CLICKED) {
        if (mainWindowHidden()) {
          showSearchPage();
        } else {
          toggleResultPanel();
        }
      }
      break;
    case kButton4Voice:
      if (code == BN_CLICKED)
        toggleSpeechInput(control(kButton4Voice), control(kEdit2Lyrics), recorder_, recordingFile);
      break;
    case kPictureButton1Lyrics:
      if (code == BN_CLICKED) choosePicture(hwnd());
      break;
    case kButton2Apply:
      if (code == BN_CLICKED) applyManualRename();
      break;
    case kButton5Stop:
      if (code == BN_CLICKED) SendMessageA(control(kSlider1Progress), TBM_SETPOS, TRUE, 0);
      break;
    default:
      // "播放" plays nothing.
      break;
  }
}

void LyricsWindow::onSlider(HWND slider) {
  if (slider != control(kSlider2Volume)) return;
  const LRESULT position = SendMessageA(slider, TBM_GETPOS, 0, 0);
  ui::setWindowText(control(kLabel3Volume),
                    lyricsTexts().volume + std::to_string(static_cast<long>(position)));
}

void LyricsWindow::toggleResultPanel() {
  const RECT window = ui::rectInParent(hwnd());
  const bool wide = window.right - window.left == kWideWidth;
  setWidth(hwnd(), wide ? kFullWidth : kWideWidth);
  HWND picture = control(kPictureButton1Lyrics);
  moveControl(picture, wide ? kPictureLeftNarrow : kPictureLeftWide, ui::rectInParent(picture).top);
}

void LyricsWindow::applyManualRename() {
  const ManualRename rename =
      manualRename(currentSongPath, songFolder, ui::windowText(control(kEdit4NewName)));
  HWND log = control(kEdit5Log);
  ui::setWindowText(log, "");
  for (const std::string& line : rename.log) appendToEdit(log, line);
}

void LyricsWindow::onDestroy() {
  closeMailbox();
  // The recording belongs to this opening of the window.
  if (!recordingFile.empty()) DeleteFileA(recordingFile.c_str());
  // Opened from a rename run, the run goes on when this window is gone. In the lyrics-only
  // run MainWindow is hidden and nothing else is left: the program ends.
  if (mainWindowHidden()) endProgram();
}

LRESULT LyricsWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (!createControls()) return -1;
      openMailbox();
      compact_ = lyricsOnlyMode == 1;
      if (compact_) applyCompactLayout();
      // The skin paints the captions onto the window's background from now on.
      ui::attachSkin(hwnd(), {[this](HDC dc, const RECT&) { drawCaptions(dc); }});
      ui::applySkinPicture(builtInSkinPicture());
      recordingFile = reserveRecordingFile(platform::tempFolder());
      attachLabels();
      return 0;
    case WM_PAINT:
      paintCaptions();
      return 0;
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_HSCROLL:
      onSlider(reinterpret_cast<HWND>(lParam));
      return 0;
    case kResultRowsMessage:
      takeResultRows(static_cast<unsigned>(wParam));
      return 0;
    case WM_DESTROY:
      onDestroy();
      return 0;
    default:
      return Window::handleMessage(message, wParam, lParam);
  }
}

}  // namespace app
