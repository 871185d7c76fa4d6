// The SongList's rows through the list view's ...A messages.
#include "app/song_list_win.h"

#include <commctrl.h>

#include <vector>

namespace app {

int songCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

void clearSongs(HWND list) { SendMessageA(list, LVM_DELETEALLITEMS, 0, 0); }

namespace {

bool setCell(HWND list, int row, int column, const std::string& text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  return SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(&item)) != FALSE;
}

}  // namespace

bool appendSong(HWND list, const SongRow& row) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = songCount(list);
  item.pszText = const_cast<char*>(row.name.c_str());
  const int index =
      static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return false;
  return setCell(list, index, kPathColumn, row.path) && setCell(list, index, kInfoColumn, row.info);
}

std::string songText(HWND list, int row, int column) {
  if (row < 0 || row >= songCount(list)) return {};
  // The list copies at most the buffer's size less one, and may stop a byte earlier so as not
  // to split a double-byte character: grow until the text leaves two bytes free.
  std::vector<char> buffer(1024, '\0');
  for (;;) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const LRESULT got = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                     reinterpret_cast<LPARAM>(&item));
    if (got < 0) return {};
    if (static_cast<std::size_t>(got) + 2 < buffer.size() || buffer.size() >= (1u << 20))
      return std::string(buffer.data(), static_cast<std::size_t>(got));
    buffer.assign(buffer.size() * 4, '\0');
  }
}

int selectedSong(HWND list) {
  return static_cast<int>(
      SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

bool deleteSong(HWND list, int row) {
  return SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0) != FALSE;
}

}  // namespace app
