// The skin's state, its theme colours and the canvas, drawn with the GDI+ flat API.
#include "ui/skin_canvas_win.h"

#include <algorithm>
#include <cstring>

#include "ui/gdiplus_win.h"

namespace ui {

namespace {

namespace gp = Gdiplus::DllExports;

// How many pixels of the picture's right and bottom edges fade into its average colour, and
// the fade's alpha at its two ends.
constexpr int kFadeWidth = 50;
constexpr BYTE kFadeAlphaFrom = 20, kFadeAlphaTo = 250;
// The canvas reaches this far beyond the screen in each direction.
constexpr int kCanvasMargin = 10;

enum class Source { none, picture, plain };

struct SkinState {
  std::string picture;
  Source source = Source::none;
  COLORREF plainColour = 0;
  HBITMAP canvasBitmap = nullptr;
  SkinCanvas canvas;
  int canvasScreenWidth = 0;
  COLORREF average = 0;
  COLORREF text = 0xFFFFFF;
  COLORREF contrast = 0;
  std::vector<HWND> windows;
};

SkinState& state() {
  static SkinState s;
  return s;
}

Gdiplus::ARGB argbOf(COLORREF colour, BYTE alpha) {
  return (static_cast<Gdiplus::ARGB>(alpha) << 24) |
         (static_cast<Gdiplus::ARGB>(GetRValue(colour)) << 16) |
         (static_cast<Gdiplus::ARGB>(GetGValue(colour)) << 8) | GetBValue(colour);
}

// A GDI+ bitmap decoded from bytes in memory, with the stream it reads from.
class DecodedPicture {
 public:
  explicit DecodedPicture(const std::string& bytes) {
    if (bytes.empty()) return;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (memory == nullptr) return;
    void* into = GlobalLock(memory);
    std::memcpy(into, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream_))) {
      GlobalFree(memory);
      stream_ = nullptr;
      return;
    }
    if (gp::GdipCreateBitmapFromStream(stream_, &bitmap_) != Gdiplus::Ok) bitmap_ = nullptr;
  }
  ~DecodedPicture() {
    if (bitmap_ != nullptr) gp::GdipDisposeImage(bitmap_);
    if (stream_ != nullptr) stream_->Release();
  }
  DecodedPicture(const DecodedPicture&) = delete;
  DecodedPicture& operator=(const DecodedPicture&) = delete;

  Gdiplus::GpBitmap* get() const { return bitmap_; }
  UINT width() const {
    UINT w = 0;
    if (bitmap_ != nullptr) gp::GdipGetImageWidth(bitmap_, &w);
    return w;
  }
  UINT height() const {
    UINT h = 0;
    if (bitmap_ != nullptr) gp::GdipGetImageHeight(bitmap_, &h);
    return h;
  }

 private:
  IStream* stream_ = nullptr;
  Gdiplus::GpBitmap* bitmap_ = nullptr;
};

std::optional<COLORREF> averageOfDecoded(const DecodedPicture& picture) {
  const UINT width = picture.width(), height = picture.height();
  if (picture.get() == nullptr || width == 0 || height == 0) return std::nullopt;
  const Gdiplus::GpRect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData data{};
  if (gp::GdipBitmapLockBits(picture.get(), &whole, Gdiplus::ImageLockModeRead,
                             PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    return std::nullopt;
  }
  // Weighted sums: a pixel counts as much as it is opaque.
  std::uint64_t alpha = 0, red = 0, green = 0, blue = 0;
  for (UINT y = 0; y < height; ++y) {
    const auto* row =
        static_cast<const BYTE*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride;
    for (UINT x = 0; x < width; ++x) {
      const BYTE* p = row + 4 * x;  // B, G, R, A
      const std::uint64_t a = p[3];
      alpha += a;
      blue += a * p[0];
      green += a * p[1];
      red += a * p[2];
    }
  }
  gp::GdipBitmapUnlockBits(picture.get(), &data);
  if (alpha == 0) return RGB(0, 0, 0);
  const auto mean = [alpha](std::uint64_t sum) {
    return static_cast<BYTE>((2 * sum + alpha) / (2 * alpha));
  };
  return RGB(mean(red), mean(green), mean(blue));
}

void setThemeColours(COLORREF average) {
  SkinState& s = state();
  s.average = average;
  s.text = textColourFor(average);
  s.contrast = RGB(255 - GetRValue(s.text), 255 - GetGValue(s.text), 255 - GetBValue(s.text));
}

void releaseCanvas() {
  SkinState& s = state();
  if (s.canvasBitmap != nullptr) DeleteObject(s.canvasBitmap);
  s.canvasBitmap = nullptr;
  s.canvas = SkinCanvas{};
}

// Steps shared by both canvases: the rebuild test, then a new DIB of the screen's size plus
// the margin. Null when no rebuild is due or the DIB cannot be made.
Gdiplus::GpBitmap* newCanvas(bool force, int screenWidth, int screenHeight) {
  SkinState& s = state();
  if (!force && screenWidth <= s.canvasScreenWidth) return nullptr;
  const int width = screenWidth + kCanvasMargin, height = screenHeight + kCanvasMargin;
  void* bits = nullptr;
  HBITMAP bitmap = createTopDownDib(width, height, &bits);
  if (bitmap == nullptr) return nullptr;
  // GDI+ draws straight into the DIB's memory.
  Gdiplus::GpBitmap* surface = nullptr;
  if (gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                    static_cast<BYTE*>(bits), &surface) != Gdiplus::Ok) {
    DeleteObject(bitmap);
    return nullptr;
  }
  releaseCanvas();
  s.canvasBitmap = bitmap;
  s.canvas = SkinCanvas{bitmap, static_cast<const std::uint32_t*>(bits), width, height};
  s.canvasScreenWidth = screenWidth;
  return surface;
}

// Fills `fill` with a linear gradient laid over `span` from c (alpha 20) to c (alpha 250),
// mirrored beyond the span.
void fade(Gdiplus::GpGraphics* graphics, COLORREF c, const Gdiplus::GpRect& span,
          Gdiplus::LinearGradientMode mode, const Gdiplus::GpRect& fill) {
  Gdiplus::GpLineGradient* brush = nullptr;
  if (gp::GdipCreateLineBrushFromRectI(&span, argbOf(c, kFadeAlphaFrom), argbOf(c, kFadeAlphaTo),
                                       mode, Gdiplus::WrapModeTileFlipX, &brush) != Gdiplus::Ok) {
    return;
  }
  gp::GdipFillRectangleI(graphics, brush, fill.X, fill.Y, fill.Width, fill.Height);
  gp::GdipDeleteBrush(brush);
}

void drawPictureCanvas(Gdiplus::GpGraphics* graphics, const DecodedPicture& picture, COLORREF c) {
  const INT w = static_cast<INT>(picture.width()), h = static_cast<INT>(picture.height());
  gp::GdipGraphicsClear(graphics, argbOf(c, 255));
  // Unscaled, pixel for pixel, through a bitmap cached for this surface.
  Gdiplus::GpCachedBitmap* cached = nullptr;
  if (gp::GdipCreateCachedBitmap(picture.get(), graphics, &cached) == Gdiplus::Ok) {
    gp::GdipDrawCachedBitmap(graphics, cached, 0, 0);
    gp::GdipDeleteCachedBitmap(cached);
  } else {
    gp::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeNearestNeighbor);
    gp::GdipDrawImageRectRectI(graphics, picture.get(), 0, 0, w, h, 0, 0, w, h, Gdiplus::UnitPixel,
                               nullptr, nullptr, nullptr);
  }
  fade(graphics, c, Gdiplus::GpRect(w - kFadeWidth, 0, kFadeWidth, h),
       Gdiplus::LinearGradientModeHorizontal,
       Gdiplus::GpRect(w - kFadeWidth + 1, 0, kFadeWidth, h));
  fade(graphics, c, Gdiplus::GpRect(0, h - kFadeWidth, w, kFadeWidth),
       Gdiplus::LinearGradientModeVertical, Gdiplus::GpRect(0, h - kFadeWidth + 1, w, kFadeWidth));
}

// Runs `draw` on a graphics over a new canvas; false when no canvas was made.
template <typename Draw>
bool drawNewCanvas(bool force, int screenWidth, int screenHeight, Draw draw) {
  Gdiplus::GpBitmap* surface = newCanvas(force, screenWidth, screenHeight);
  if (surface == nullptr) return false;
  Gdiplus::GpGraphics* graphics = nullptr;
  if (gp::GdipGetImageGraphicsContext(surface, &graphics) == Gdiplus::Ok) {
    draw(graphics);
    gp::GdipDeleteGraphics(graphics);
  }
  gp::GdipDisposeImage(surface);
  GdiFlush();
  return true;
}

BYTE lighten(BYTE component) { return static_cast<BYTE>((component + 255) / 2); }

void notifySkinnedWindows() {
  // A copy: a window may leave the list (or join it) while it handles the message.
  const std::vector<HWND> windows = state().windows;
  for (HWND window : windows) {
    if (!IsWindow(window)) continue;
    SendMessageA(window, kSkinChanged, 0, 0);
    SendMessageA(window, kSkinRepaint, 0, 0);
  }
}

int screenWidthNow() { return GetSystemMetrics(SM_CXSCREEN); }
int screenHeightNow() { return GetSystemMetrics(SM_CYSCREEN); }

}  // namespace

HBITMAP createTopDownDib(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

const std::string& skinPicture() { return state().picture; }
const SkinCanvas& skinCanvas() { return state().canvas; }
int canvasScreenWidth() { return state().canvasScreenWidth; }
COLORREF averageColour() { return state().average; }
COLORREF textColour() { return state().text; }
COLORREF contrastColour() { return state().contrast; }
const std::vector<HWND>& skinnedWindows() { return state().windows; }

std::optional<COLORREF> averageColourOf(const std::string& picture) {
  return averageOfDecoded(DecodedPicture(picture));
}

COLORREF textColourFor(COLORREF average) {
  const int sum = GetRValue(average) + GetGValue(average) + GetBValue(average);
  // sum − 382.5 > 0, in integers.
  return 2 * sum > 765 ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

void applySkinPicture(const std::string& picture) {
  SkinState& s = state();
  // A picture that does not decode leaves everything as it was: the last one that did stays,
  // so a later display change still has a picture to rebuild from.
  const std::optional<COLORREF> average = averageColourOf(picture);
  if (average) {
    s.picture = picture;
    s.source = Source::picture;
    setThemeColours(*average);
    buildSkinCanvas(true);
  }
  notifySkinnedWindows();
}

void applySkinColour(COLORREF colour) {
  SkinState& s = state();
  s.source = Source::plain;
  s.plainColour = colour;
  setThemeColours(colour);
  buildPlainCanvas(colour, true);
  notifySkinnedWindows();
}

bool buildSkinCanvas(bool force) {
  return buildSkinCanvas(force, screenWidthNow(), screenHeightNow());
}

bool buildSkinCanvas(bool force, int screenWidth, int screenHeight) {
  SkinState& s = state();
  if (s.source == Source::plain)
    return buildPlainCanvas(s.plainColour, force, screenWidth, screenHeight);
  if (s.source != Source::picture) return false;
  const DecodedPicture picture(s.picture);
  if (picture.get() == nullptr) return false;
  const COLORREF c = s.average;
  return drawNewCanvas(force, screenWidth, screenHeight, [&](Gdiplus::GpGraphics* graphics) {
    drawPictureCanvas(graphics, picture, c);
  });
}

bool buildPlainCanvas(COLORREF colour, bool force) {
  return buildPlainCanvas(colour, force, screenWidthNow(), screenHeightNow());
}

bool buildPlainCanvas(COLORREF colour, bool force, int screenWidth, int screenHeight) {
  BYTE r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
  for (int twice = 0; twice < 2; ++twice) {
    r = lighten(r);
    g = lighten(g);
    b = lighten(b);
  }
  const COLORREF light = RGB(r, g, b);
  return drawNewCanvas(force, screenWidth, screenHeight, [&](Gdiplus::GpGraphics* graphics) {
    const SkinCanvas& canvas = state().canvas;
    const Gdiplus::GpRect whole(0, 0, canvas.width, canvas.height);
    Gdiplus::GpLineGradient* brush = nullptr;
    if (gp::GdipCreateLineBrushFromRectI(&whole, argbOf(light, 255), argbOf(colour, 255),
                                         Gdiplus::LinearGradientModeBackwardDiagonal,
                                         Gdiplus::WrapModeTileFlipX, &brush) == Gdiplus::Ok) {
      gp::GdipFillRectangleI(graphics, brush, 0, 0, canvas.width, canvas.height);
      gp::GdipDeleteBrush(brush);
    }
  });
}

void releaseSkin() {
  SkinState& s = state();
  releaseCanvas();
  std::string().swap(s.picture);
  s.source = Source::none;
  s.canvasScreenWidth = 0;
  std::vector<HWND>().swap(s.windows);
}

void addSkinnedWindow(HWND window) {
  std::vector<HWND>& windows = state().windows;
  if (std::find(windows.begin(), windows.end(), window) == windows.end()) windows.push_back(window);
}

void removeSkinnedWindow(HWND window) {
  std::vector<HWND>& windows = state().windows;
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

}  // namespace ui
