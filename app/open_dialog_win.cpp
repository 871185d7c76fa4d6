// GetOpenFileNameA with the program's flags, and its buffer turned into delivered paths.
#include "app/open_dialog_win.h"

#include <commdlg.h>

#include <vector>

#include "app/rename.h"
#include "platform/text.h"

namespace app {

namespace {

// Room for a few hundred songs chosen at once; a choice that does not fit makes the dialog
// fail, which is taken as a cancel.
constexpr std::size_t kFileBufferBytes = 64 * 1024;

}  // namespace

std::string dialogFilterList(const std::string& filter) {
  std::string list;
  list.reserve(filter.size() + 2);
  std::size_t pos = 0;
  while (pos < filter.size()) {
    const std::size_t len = platform::localCharLength(filter, pos);
    if (len == 1 && filter[pos] == '|') {
      list += '\0';
    } else {
      list.append(filter, pos, len);
    }
    pos += len;
  }
  list += '\0';
  list += '\0';
  return list;
}

std::string openFileDialog(HWND owner, const std::string& title, const std::string& filter,
                           const std::string& initialFolder) {
  const std::string filterList = dialogFilterList(filter);
  std::vector<char> files(kFileBufferBytes, '\0');
  std::vector<char> fileTitle(kFileBufferBytes, '\0');

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filterList.c_str();
  dialog.lpstrFile = files.data();
  dialog.nMaxFile = static_cast<DWORD>(files.size());
  dialog.lpstrFileTitle = fileTitle.data();
  dialog.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
  dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
  if (!GetOpenFileNameA(&dialog)) return {};
  return openDialogPaths(files.data(), files.size());
}

}  // namespace app
