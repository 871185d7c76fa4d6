// What the skin tests share: pictures made pixel by pixel (BMP bytes written field by field,
// PNG bytes encoded by GDI+, which keeps the alpha channel) and plain top-level windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace gui_testing {

// A pixel as (alpha << 24) | (red << 16) | (green << 8) | blue.
using PixelAt = std::function<std::uint32_t(int x, int y)>;

std::uint32_t argb(int alpha, int red, int green, int blue);

// A 24-bit bottom-up BMP file (alpha ignored).
std::string bmpPicture(int width, int height, const PixelAt& pixel);

// A 32-bit PNG file with alpha; "" when GDI+ cannot encode it.
std::string pngPicture(int width, int height, const PixelAt& pixel);

// Writes bytes to a new file in the temporary folder; returns its path.
std::string writeTempFile(const std::string& name, const std::string& bytes);

// A visible top-level window with a caption, of a class of its own whose messages go to
// `procedure`.
HWND plainTopLevelWindow(const char* className, WNDPROC procedure, int x, int y, int width,
                         int height);

}  // namespace gui_testing
