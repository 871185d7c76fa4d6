// LyricsWindow ("歌词智能判断歌曲名"): finding a song's title from a line of its lyrics.
// Full layout when opened from a rename run, compact when the program runs with "-lrc".
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "lookup/recorder_win.h"
#include "lookup/search.h"
#include "ui/gdi_win.h"
#include "ui/window_win.h"

namespace app {

constexpr char kLyricsWindowClass[] = "LyricsWindow";

// Control identifiers, named after the controls of the window definition.
enum LyricsWindowControl : int {
  kEdit1CurrentSong = 2001,  // 编辑框1
  kEdit2Lyrics,              // 编辑框2, the lyrics box
  kButton1Query,             // 按钮1 "查询"
  kButton4Voice,             // 按钮4 "语音"
  kRadio1Baidu,              // 单选框1 "百度服务器"
  kRadio2Soso,               // 单选框2 "腾讯服务器"
  kEdit4NewName,             // 编辑框4, the new-name box
  kButton2Apply,             // 按钮2 "应用"
  kEdit5Log,                 // 编辑框5, the log box
  kList1Results,             // 列表框1, the result list
  kLabel4Busy,               // 标签4 "正在查询，请稍后。。。"
  kTransparentLabel1,        // 透明标签1 "觉得歌名不对？"
  kPictureButton1Lyrics,     // 图形按钮1, the background picture
  kGroup1Preview,            // 分组框1 "歌曲试听"
  kButton3Play,              // 按钮3 "播放", in the group
  kLabel2Progress,           // 标签2 "播放进度", in the group
  kSlider1Progress,          // 滑块条1, in the group
  kLabel3Volume,             // 标签3 "音量:100", in the group
  kSlider2Volume,            // 滑块条2, in the group
  kEdit3Preview,             // 编辑框3, in the group
  kButton5Stop,              // 按钮5 "停止"
};

// What the result-list workers of one window hand to it: rows by query, and whether the
// window is still there to take them. Shared by the window and every worker it started.
struct ResultMailbox;

// Posted by a worker to its window: rows for the query numbered wParam wait in the mailbox.
constexpr UINT kResultRowsMessage = WM_APP + 1;

class LyricsWindow : public ui::Window {
 public:
  LyricsWindow();
  ~LyricsWindow() override;

  // Opens a new LyricsWindow modally, with no parent, and returns once it is destroyed.
  static void openModal();

  HWND control(int id) const { return GetDlgItem(hwnd(), id); }

  // The actions of "查询" and of "觉得歌名不对？" in the lyrics-only run.
  void runLyricsQuery();
  void showSearchPage();

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool createControls();
  void applyCompactLayout();
  // The controls that take a transparent label, in the order they take it.
  void attachLabels();
  void drawCaptions(HDC dc);
  // Unskinned (the skin could not be attached), the window paints its captions itself.
  void paintCaptions();
  void onCommand(int id, int code);
  void onSlider(HWND slider);
  void toggleResultPanel();
  void applyManualRename();
  void onDestroy();

  // The query's parts.
  bool selectedService(lookup::Service& service) const;
  void showFetchedView(const lookup::LyricsQueryView& view);
  void fillResultList(unsigned query, lookup::Service service, const std::string& lyrics);
  void takeResultRows(unsigned query);
  void openMailbox();
  void closeMailbox();

  ui::Font captionFont_;
  ui::Font busyFont_;
  ui::Bitmap pictureFace_;
  bool compact_ = false;
  // Counts the queries of this window: rows of any but the latest are dropped.
  unsigned queries_ = 0;
  std::shared_ptr<ResultMailbox> mailbox_;
  lookup::Recorder recorder_;  // 录音1
};

// A fresh name for the recording in `folder` (ending in its separator): the tick count plus
// a running counter in lower-case hexadecimal and ".tmp", counted upward past every name
// that exists. The file is created empty, so the name stays this window's; "" when no file
// can be made there.
std::string reserveRecordingFile(const std::string& folder);

}  // namespace app
