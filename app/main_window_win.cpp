// MainWindow: layout, creation handler, command line, and where its events go.
#include "app/main_window_win.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <chrono>

#include "app/command_line.h"
#include "app/lyrics_window_win.h"
#include "app/open_dialog_win.h"
#include "app/shell_state.h"
#include "app/shell_texts.h"
#include "app/skin_picture_win.h"
#include "app/song_list_win.h"
#include "app/startup_win.h"
#include "app/styled_message_box_win.h"
#include "platform/message_pump_win.h"
#include "tags/song_info.h"
#include "ui/controls_win.h"
#include "ui/file_drop_target_win.h"
#include "ui/fonts_win.h"
#include "ui/picture_face_win.h"
#include "ui/skin_canvas_win.h"
#include "ui/skin_engine_win.h"

namespace app {

namespace {

MainWindow* g_mainWindow = nullptr;

constexpr int kLeft = 50, kTop = 50, kWidth = 331, kHeight = 336;
constexpr int kSongListColumnWidth = 100;
constexpr int kBusyFontHeight = 18;
// The run's pause after each song: long enough to see the rows go one by one.
constexpr int kPauseAfterSongMs = 500;
constexpr int kFailureLineHeight = 17;  // a line of the interface font, with its leading

bool registerMainWindowClass() {
  return ui::registerWindowClass(kMainWindowClass, CS_HREDRAW | CS_VREDRAW, kProgramIconResource);
}

// Waits `ms` milliseconds while handling this thread's window messages, so that the windows
// repaint and answer. False when a WM_QUIT arrived: it is posted again for the loop that runs
// the program, and the caller stops.
bool pauseProcessingMessages(int ms) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (!platform::processPendingMessages()) return false;
    const Clock::time_point now = Clock::now();
    if (now >= end) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count() + 1;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
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
  pictureFace_ = ui::drawPictureFace();

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

  // The busy label lies over the middle of the list: both clip their siblings, and the label
  // is raised to the top of the z-order below (a new child goes to the bottom), so the list
  // does not paint over it.
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
  HWND label = ui::createControl(hwnd(), busy, busyFont_.get());
  if (label == nullptr) return false;
  SetWindowPos(label, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

void MainWindow::onCreated(const std::vector<std::string>& arguments) {
  // The readers' tables are constants beside each reader; the one text they share that is
  // converted at run time is made now, before the first song is read.
  tags::noSongInfoText();

  // The skin draws the frame and the background from here on; the built-in picture replaces
  // the starting colour.
  ui::attachSkin(hwnd());
  ui::applySkinPicture(builtInSkinPicture());

  // Dropping files on the song list is this window's second way in for songs.
  ui::FileDropTarget::registerOn(songList(),
                                 [this](const ui::DroppedFiles& files) { onFilesDropped(files); });

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
  // The buttons are disabled during a run; a click that reaches the window all the same (a
  // queued one, or a control that still takes it) must not change the list under the run.
  if (runInProgress_ || dialogOpen_) return;
  switch (id) {
    case kButton3Add:
      addSongsThroughDialog();
      break;
    case kButton1Remove:
      removeSelectedSong();
      break;
    case kButton2Start:
      startRenameRun();
      break;
    case kPictureButton1:
      dialogOpen_ = true;
      choosePicture(hwnd());
      dialogOpen_ = false;
      break;
    default:
      break;
  }
}

void MainWindow::onFilesDropped(const ui::DroppedFiles& files) {
  // A drop while the list is being worked through, or while the open dialog is about to
  // fill it, would mix two deliveries or pull rows from under the run: it is refused.
  if (runInProgress_ || dialogOpen_) return;
  reportNamesNotHeld(files.refused, RejectionBox::styled);
  if (files.paths.empty()) return;
  clearSongs(songList());
  addDeliveredSongs(files.paths, RejectionBox::styled);
}

void MainWindow::addSongsThroughDialog() {
  const ShellTexts& texts = shellTexts();
  // Emptied first: cancelling the dialog leaves an empty list.
  clearSongs(songList());
  dialogOpen_ = true;
  std::vector<std::string> refused;
  const std::string chosen =
      openFileDialog(hwnd(), texts.songDialogTitle, texts.songFilter, {}, &refused);
  dialogOpen_ = false;
  if (hwnd() == nullptr) return;
  reportNamesNotHeld(refused, RejectionBox::plain);
  if (hwnd() == nullptr) return;
  addDeliveredSongs(chosen, RejectionBox::plain);
}

void MainWindow::reportNamesNotHeld(const std::vector<std::string>& refused, RejectionBox box) {
  // Such a file is never opened: the names the system would give in its place may be
  // another file's.
  if (refused.empty()) return;
  std::string text = shellTexts().nameNotHeld;
  for (const std::string& name : refused) text += "\r\n" + name;
  showRejection(text, box);
}

void MainWindow::showRejection(const std::string& text, RejectionBox box) {
  if (box == RejectionBox::plain) {
    showPlainMessageBox(text, MB_OK);
  } else {
    showStyledMessageBox(text, shellTexts().infoTitle);
  }
}

void MainWindow::addDeliveredSongs(const std::string& delivered, RejectionBox box) {
  lastSelection = delivered;
  const std::vector<std::string> paths = splitDeliveredPaths(delivered);
  // Each song's tags are read while its row is made; a path of another kind ends the adding.
  const Intake intake = addPaths(paths);
  if (!paths.empty()) currentSongPath = intake.lastExamined;
  for (const SongRow& row : intake.rows) appendSong(songList(), row);
  if (!intake.stopped) return;
  showRejection(shellTexts().notAnAudioFile, box);
}

void MainWindow::removeSelectedSong() {
  const int selected = selectedSong(songList());
  if (selected >= 0) deleteSong(songList(), selected);
}

void MainWindow::startRenameRun() {
  HWND busy = busyLabel();
  ShowWindow(busy, SW_SHOW);
  UpdateWindow(busy);
  if (songCount(songList()) == 0) {
    const ShellTexts& texts = shellTexts();
    showStyledMessageBox(texts.nothingToRename, texts.infoTitle);
  } else {
    renameBatch();
  }
  // The window may have been closed while the run waited on a box or the lyrics window.
  if (hwnd() != nullptr) ShowWindow(busy, SW_HIDE);
}

void MainWindow::renameBatch() {
  setRunInProgress(true);
  // Each visit takes the row now at the top and removes it afterwards, whatever became of
  // its song; the count is taken once.
  const int count = songCount(songList());
  bool finished = true;
  std::vector<FailedRename> failed;  // told in the closing message, not one box each
  for (int i = 0; i < count; ++i) {
    const std::string path = songText(songList(), 0, kPathColumn);
    // Each song is renamed in its own folder: `songFolder` follows the song.
    const SongRename song = renameRowSong(path, currentSongPath, songFolder);
    const std::string reason = renameFailureReason(song);
    if (!reason.empty()) failed.push_back({path, reason});
    reportRenamedSong(song);
    if (hwnd() == nullptr || !pauseProcessingMessages(kPauseAfterSongMs) || hwnd() == nullptr) {
      finished = false;
      break;
    }
    deleteSong(songList(), 0);
  }
  if (hwnd() == nullptr) return;
  setRunInProgress(false);
  if (finished) {
    // A line per failed song: the box grows to hold them all.
    StyledMessageBoxOptions options;
    if (!failed.empty()) {
      const int lines = static_cast<int>(std::min<std::size_t>(failed.size(), 11));
      options.width = 460;
      options.height += kFailureLineHeight * lines;
    }
    showStyledMessageBox(renameRunMessage(failed), shellTexts().infoTitle, options);
  }
}

void MainWindow::reportRenamedSong(const SongRename& song) {
  const ShellTexts& texts = shellTexts();
  switch (song.status) {
    case RenameStatus::notASong:
      // The box does not wait: the run goes on while it stands.
      showStyledMessageBox(texts.notASongFile, texts.infoTitle);
      break;
    case RenameStatus::noTitle:
    case RenameStatus::unreadable:
      // No title to name the song by: the user may find one from its lyrics.
      if (showPlainMessageBox(texts.askManualRename, MB_OKCANCEL) == IDOK) {
        LyricsWindow::openModal();
      }
      break;
    case RenameStatus::ready:
    case RenameStatus::renamed:
    case RenameStatus::unchanged:
    case RenameStatus::rejected:
    case RenameStatus::nameRefused:
    case RenameStatus::targetExists:
    case RenameStatus::moveFailed:
      // Renamed, or left as it is without a word: a WMA file the reader does not take, a
      // name that is not one file name, a name already taken, a move the system refused.
      break;
  }
}

void MainWindow::setRunInProgress(bool inProgress) {
  runInProgress_ = inProgress;
  for (int id : {kButton3Add, kButton1Remove, kButton2Start}) {
    EnableWindow(control(id), inProgress ? FALSE : TRUE);
  }
}

int MainWindow::showPlainMessageBox(const std::string& text, UINT flags) {
  // The platform's own box, modal for this window, under the program's name.
  return MessageBoxA(hwnd(), text.c_str(), shellTexts().mainCaption.c_str(), flags);
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
