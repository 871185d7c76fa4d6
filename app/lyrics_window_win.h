// LyricsWindow ("歌词智能判断歌曲名"): finding a song's title from a line of its lyrics.
// Full layout when opened from a rename run, compact when the program runs with "-lrc".
#pragma once

#include <windows.h>

#include "ui/window_win.h"

namespace app {

constexpr char kLyricsWindowClass[] = "LyricsWindow";

class LyricsWindow : public ui::Window {
 public:
  // Opens a new LyricsWindow modally, with no parent, and returns once it is destroyed.
  static void openModal();

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void onCreate();
  void onDestroy();
};

}  // namespace app
