// Pictures and windows for the skin tests.
#include "tests/gui/skin_test_support.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file.h"
#include "tests/support/byte_builder.h"
#include "ui/gdiplus_win.h"
#include "ui/window_win.h"

namespace gui_testing {

std::uint32_t argb(int alpha, int red, int green, int blue) {
  return (static_cast<std::uint32_t>(alpha) << 24) | (static_cast<std::uint32_t>(red) << 16) |
         (static_cast<std::uint32_t>(green) << 8) | static_cast<std::uint32_t>(blue);
}

std::string bmpPicture(int width, int height, const PixelAt& pixel) {
  const int rowBytes = (width * 3 + 3) / 4 * 4;
  const std::uint32_t imageBytes = static_cast<std::uint32_t>(rowBytes * height);
  testing_support::ByteBuilder b;
  // BITMAPFILEHEADER, then BITMAPINFOHEADER: 24 bits, no compression, rows bottom-up.
  b.raw("BM").le32(54 + imageBytes).le16(0).le16(0).le32(54);
  b.le32(40).le32(static_cast<std::uint32_t>(width)).le32(static_cast<std::uint32_t>(height));
  b.le16(1).le16(24).le32(0).le32(imageBytes).le32(2835).le32(2835).le32(0).le32(0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixel(x, y);
      b.u8(p & 0xFF).u8((p >> 8) & 0xFF).u8((p >> 16) & 0xFF);
    }
    b.fill(static_cast<std::size_t>(rowBytes - width * 3), 0);
  }
  return b.str();
}

std::string pngPicture(int width, int height, const PixelAt& pixel) {
  namespace gp = Gdiplus::DllExports;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y) * width + x] = pixel(x, y);
  }
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                    reinterpret_cast<BYTE*>(pixels.data()),
                                    &bitmap) != Gdiplus::Ok) {
    return {};
  }
  static const CLSID kPngEncoder = {
      0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  IStream* stream = nullptr;
  std::string bytes;
  if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
    if (gp::GdipSaveImageToStream(bitmap, stream, &kPngEncoder, nullptr) == Gdiplus::Ok) {
      HGLOBAL memory = nullptr;
      STATSTG stat{};
      if (SUCCEEDED(GetHGlobalFromStream(stream, &memory)) &&
          SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME))) {
        const void* data = GlobalLock(memory);
        bytes.assign(static_cast<const char*>(data),
                     static_cast<std::size_t>(stat.cbSize.QuadPart));
        GlobalUnlock(memory);
      }
    }
    stream->Release();
  }
  gp::GdipDisposeImage(bitmap);
  return bytes;
}

std::string writeTempFile(const std::string& name, const std::string& bytes) {
  const std::string path = platform::tempFolder() + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return {};
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return path;
}

HWND plainTopLevelWindow(const char* className, WNDPROC procedure, int x, int y, int width,
                         int height) {
  WNDCLASSEXA definition{};
  definition.cbSize = sizeof definition;
  definition.lpfnWndProc = procedure;
  definition.hInstance = GetModuleHandleA(nullptr);
  definition.lpszClassName = className;
  ui::registerWindowClass(definition);
  return CreateWindowExA(0, className, className,
                         WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, x, y, width, height,
                         nullptr, nullptr, definition.hInstance, nullptr);
}

}  // namespace gui_testing
