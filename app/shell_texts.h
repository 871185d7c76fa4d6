// The texts the shell shows, in local text. The sources are UTF-8; each text is converted
// once, on first use, into the code page the ...A calls expect.
#pragma once

#include <string>

namespace app {

struct ShellTexts {
  std::string mainCaption;      // MainWindow's caption
  std::string addButton;        // 按钮3
  std::string removeButton;     // 按钮1
  std::string startButton;      // 按钮2
  std::string busyLabel;        // 标签1, shown while a rename run works
  std::string nameColumn;       // SongList column 0
  std::string pathColumn;       // SongList column 1
  std::string infoColumn;       // SongList column 2
  std::string pictureFilter;    // 通用对话框1's default filter
  std::string songDialogTitle;  // the open dialog of "添加"
  std::string songFilter;       // its filter: the five kinds of song
  std::string notAnAudioFile;   // a delivered path of another kind stopped the adding
  std::string nameNotHeld;      // a chosen or dropped file's name the code page cannot hold
  std::string nothingToRename;  // "开始修改" with an empty list
  std::string notASongFile;     // a row of the run whose path names no kind of song
  std::string askManualRename;  // the run met a song without a title
  std::string allSongsRenamed;  // the run is over
  std::string infoTitle;        // the title of every StyledMessageBox
  std::string okButton;         // StyledMessageBox's one button
  std::string helpText;         // shown for "-h"
  std::string lyricsCaption;    // LyricsWindow's caption
  std::string yaHeiFont;        // the preferred interface font family
  std::string simSunFont;       // the interface font when that family is missing
};

const ShellTexts& shellTexts();

}  // namespace app
