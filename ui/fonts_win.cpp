// Font families and fonts.
#include "ui/fonts_win.h"

#include <cstring>

namespace ui {

namespace {

int CALLBACK noteFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

LOGFONTA logFontFor(const std::string& family) {
  LOGFONTA font{};
  font.lfCharSet = DEFAULT_CHARSET;
  // Longer names than LOGFONTA holds cannot name an installed family.
  if (family.size() < sizeof font.lfFaceName) {
    std::memcpy(font.lfFaceName, family.data(), family.size());
  }
  return font;
}

}  // namespace

bool fontFamilyExists(const std::string& family) {
  if (family.empty() || family.size() >= LF_FACESIZE) return false;
  LOGFONTA wanted = logFontFor(family);
  bool found = false;
  WindowDC screen(nullptr);
  EnumFontFamiliesExA(screen.get(), &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

std::string chooseFontFamily(const std::string& preferred, const std::string& fallback) {
  return fontFamilyExists(preferred) ? preferred : fallback;
}

Font createFont(const std::string& family, int pixelHeight, int weight) {
  LOGFONTA font = logFontFor(family);
  font.lfHeight = -pixelHeight;
  font.lfWeight = weight;
  font.lfQuality = DEFAULT_QUALITY;
  return Font(CreateFontIndirectA(&font));
}

std::string fontFaceName(HFONT font) {
  LOGFONTA described{};
  if (font == nullptr || GetObjectA(font, sizeof described, &described) == 0) return {};
  return std::string(described.lfFaceName, strnlen(described.lfFaceName, LF_FACESIZE));
}

}  // namespace ui
