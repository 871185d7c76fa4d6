// Font families by name (local text) and the fonts the windows draw with.
#pragma once

#include <windows.h>

#include <string>

#include "ui/gdi_win.h"

namespace ui {

// True when a font family of that exact name (as the font mapper knows it, substitutes
// included) is installed.
bool fontFamilyExists(const std::string& family);

// `preferred` when that family exists, otherwise `fallback`.
std::string chooseFontFamily(const std::string& preferred, const std::string& fallback);

// A regular font of the family, `pixelHeight` pixels for the character height.
Font createFont(const std::string& family, int pixelHeight, int weight = FW_NORMAL);

// The face name a font was created with, or "" for an invalid handle.
std::string fontFaceName(HFONT font);

}  // namespace ui
