// GetOpenFileNameW with the program's flags, and its buffer turned into delivered paths. The
// wide dialog, because GetOpenFileNameA converts a name outside the code page with best fit
// ("track².mp3" comes back as "track2.mp3"), which may name another, existing file.
#include "app/open_dialog_win.h"

#include <commdlg.h>

#include <vector>

#include "app/rename.h"
#include "platform/text.h"

namespace app {

namespace {

// Room for a few hundred songs chosen at once; a choice that does not fit makes the dialog
// fail, which is taken as a cancel.
constexpr std::size_t kFileBufferUnits = 64 * 1024;

std::u16string nulOrNothing(const std::string& local) {
  return local.empty() ? std::u16string() : platform::localToWide(local) + u'\0';
}

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

std::string dialogChosenPaths(const std::u16string& buffer, std::vector<std::string>& refused) {
  // The parts up to the first empty one: one full path, or a folder and the names in it.
  std::vector<std::u16string> parts;
  for (std::size_t start = 0; start < buffer.size();) {
    std::size_t stop = buffer.find(u'\0', start);
    if (stop == std::u16string::npos) stop = buffer.size();
    if (stop == start) break;
    parts.push_back(buffer.substr(start, stop - start));
    start = stop + 1;
  }
  if (parts.empty()) return {};
  std::string local;
  if (parts.size() == 1) {
    if (platform::wideToLocalExact(parts[0], local)) return local;
    refused.push_back(local);
    return {};
  }
  // The same buffer in local text, without the names that do not convert exactly (every
  // name, when the folder does not).
  const bool folderExact = platform::wideToLocalExact(parts[0], local);
  const std::u16string folder = parts[0].back() == u'\\' ? parts[0] : parts[0] + u'\\';
  local += '\0';
  bool kept = false;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    std::string name;
    if (folderExact && platform::wideToLocalExact(parts[i], name)) {
      local += name + '\0';
      kept = true;
    } else {
      platform::wideToLocalExact(folder + parts[i], name);
      refused.push_back(name);
    }
  }
  if (!kept) return {};
  local += '\0';
  return openDialogPaths(local.data(), local.size());
}

std::string openFileDialog(HWND owner, const std::string& title, const std::string& filter,
                           const std::string& initialFolder, std::vector<std::string>* refused) {
  const std::u16string filterList = platform::localToWide(dialogFilterList(filter));
  const std::u16string caption = nulOrNothing(title);
  const std::u16string folder = nulOrNothing(initialFolder);
  std::u16string files(kFileBufferUnits, u'\0');

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = reinterpret_cast<const wchar_t*>(filterList.c_str());
  dialog.lpstrFile = reinterpret_cast<wchar_t*>(&files[0]);
  dialog.nMaxFile = static_cast<DWORD>(files.size());
  dialog.lpstrInitialDir =
      folder.empty() ? nullptr : reinterpret_cast<const wchar_t*>(folder.c_str());
  dialog.lpstrTitle = caption.empty() ? nullptr : reinterpret_cast<const wchar_t*>(caption.c_str());
  dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
  if (!GetOpenFileNameW(&dialog)) return {};
  std::vector<std::string> left;
  const std::string chosen = dialogChosenPaths(files, left);
  if (refused != nullptr) *refused = left;
  return chosen;
}

}  // namespace app
