// The background pictures of the program's windows: the built-in one, and the one a user
// chooses with a window's picture button.
#pragma once

#include <windows.h>

#include <string>

namespace app {

// The default background picture in the program's resources.
constexpr int kDefaultSkinPictureResource = 131;

// The built-in picture's bytes (a JPEG), or "" when the resource is missing.
std::string builtInSkinPicture();

// The picture buttons' action: an open dialog owned by `owner` for "图片文件|*.jpg;*.bmp;*.png";
// the chosen file, read whole, becomes every skinned window's background. A cancelled
// dialog changes nothing. True when a file was chosen and read.
bool choosePicture(HWND owner);

}  // namespace app
