// The SongList: MainWindow's report list view of queued songs, one row per song, with the
// columns "歌曲名", "歌曲路径" and "歌曲信息". Rows are read and written in local text.
#pragma once

#include <windows.h>

#include <string>

#include "app/rename.h"

namespace app {

enum SongListColumn : int {
  kNameColumn = 0,  // 歌曲名: the base name
  kPathColumn = 1,  // 歌曲路径: the full path, what the rename run reads
  kInfoColumn = 2,  // 歌曲信息: the tag summary
};

int songCount(HWND list);
void clearSongs(HWND list);

// Appends a row at the bottom; false when the list refused it.
bool appendSong(HWND list, const SongRow& row);

// The text of a cell, "" for a row or column that does not exist. Not cut at any length.
std::string songText(HWND list, int row, int column);

// The row of the list's current selection, or -1 when nothing is selected.
int selectedSong(HWND list);

bool deleteSong(HWND list, int row);

}  // namespace app
