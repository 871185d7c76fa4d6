// MainWindow: the song list, its three buttons, the busy label and the picture button.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/rename.h"
#include "ui/file_drop_target_win.h"
#include "ui/gdi_win.h"
#include "ui/window_win.h"

namespace app {

// Control identifiers, named after the controls of the window definition.
enum MainWindowControl : int {
  kButton1Remove = 1001,   // 按钮1 "删除"
  kButton2Start = 1002,    // 按钮2 "开始修改"
  kButton3Add = 1003,      // 按钮3 "添加"
  kPictureButton1 = 1004,  // 图形按钮1, the background picture
  kSongList = 1005,        // 超级列表框1
  kLabel1Busy = 1006,      // 标签1 "进程正在处理中，请稍后。。"
};

constexpr char kMainWindowClass[] = "MainWindow";

class MainWindow : public ui::Window {
 public:
  MainWindow() = default;
  ~MainWindow() override;

  // Creates the window with its controls, runs the creation handler (which reads the
  // command line `arguments`) and then shows the window unless the handler hid it.
  // Returns null when the window could not be made. With "-lrc" this returns only after
  // the lyrics window has been closed.
  HWND load(const std::vector<std::string>& arguments);

  HWND control(int id) const { return GetDlgItem(hwnd(), id); }
  HWND songList() const { return control(kSongList); }
  HWND busyLabel() const { return control(kLabel1Busy); }

  // Hides the window for good: the command line's switches do this.
  void hide();

  // True while a rename run works through the list: "添加", "删除" and "开始修改" are
  // disabled and dropped files are refused meanwhile, so the list cannot change under it.
  bool renameRunInProgress() const { return runInProgress_; }

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool createControls();
  void onCreated(const std::vector<std::string>& arguments);
  void readCommandLine(const std::vector<std::string>& arguments);
  void onCommand(int id);
  void onFilesDropped(const ui::DroppedFiles& files);

  // Adding and removing songs.
  enum class RejectionBox { plain, styled };
  void addSongsThroughDialog();
  void addDeliveredSongs(const std::string& delivered, RejectionBox box);
  void reportNamesNotHeld(const std::vector<std::string>& refused, RejectionBox box);
  void showRejection(const std::string& text, RejectionBox box);
  void removeSelectedSong();

  // The rename run ("开始修改").
  void startRenameRun();
  void renameBatch();
  void reportRenamedSong(const SongRename& song);
  void setRunInProgress(bool inProgress);
  int showPlainMessageBox(const std::string& text, UINT flags);

  bool hiddenByCommandLine_ = false;
  bool runInProgress_ = false;
  bool dialogOpen_ = false;
  ui::Font busyFont_;
  ui::Bitmap pictureFace_;
};

// The process's MainWindow while it exists, or null.
MainWindow* mainWindow();

// True when there is no MainWindow on screen: the lyrics-only and help runs, where closing
// their window ends the program.
bool mainWindowHidden();

}  // namespace app
