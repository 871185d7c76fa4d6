// The built-in background picture and the picture buttons' open dialog.
#include "app/skin_picture_win.h"

#include "app/open_dialog_win.h"
#include "app/rename.h"
#include "app/shell_texts.h"
#include "platform/file.h"
#include "ui/skin_canvas_win.h"

namespace app {

namespace {

// The whole file, or nothing when it cannot be read. A picture has no size limit beyond
// memory; a file that changes size while read is taken as unreadable.
bool readWholeFile(const std::string& path, std::string& bytes) {
  platform::ReadOnlyFile file(path);
  if (!file.isOpen()) return false;
  bytes.assign(static_cast<std::size_t>(file.size()), '\0');
  return file.readAt(0, &bytes[0], bytes.size()) == bytes.size();
}

}  // namespace

std::string builtInSkinPicture() {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(kDefaultSkinPictureResource),
                              MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return {};
  return std::string(static_cast<const char*>(bytes), SizeofResource(module, found));
}

bool choosePicture(HWND owner) {
  const std::string chosen = openFileDialog(owner, {}, shellTexts().pictureFilter);
  // The dialog lets several files be chosen; the first one is the picture.
  const std::vector<std::string> paths = splitDeliveredPaths(chosen);
  if (paths.empty()) return false;
  std::string picture;
  if (!readWholeFile(paths.front(), picture)) return false;
  ui::applySkinPicture(picture);
  return true;
}

}  // namespace app
