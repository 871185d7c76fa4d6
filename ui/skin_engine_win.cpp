// The skin engine: a subclass procedure per skinned window, which composes the window's
// face (its part of the canvas, border, icon, title, caption buttons and the window's own
// marks) into a DIB once per change and copies it on every paint.
#include "ui/skin_engine_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "ui/controls_win.h"
#include "ui/gdi_win.h"
#include "ui/skin_canvas_win.h"

namespace ui {

namespace {

constexpr UINT_PTR kSubclassId = 0x536B696E;  // "Skin"
// The window property that finds a window's skin (mingw's comctl32 import library lacks
// GetWindowSubclass).
constexpr char kSkinProperty[] = "LyrivaneSkin";
constexpr int kIconLeft = 7, kIconSide = 16;
constexpr int kTitleLeft = 29;
constexpr int kTitleBandHeight = kSkinButtonHeight + 4;  // the icon and title are centred in it
constexpr int kGlyphSide = 9;
constexpr COLORREF kCloseHot = RGB(232, 17, 35), kClosePressed = RGB(241, 112, 122);
constexpr BYTE kHotAlpha = 40, kPressedAlpha = 80;  // of the text colour over the canvas

HFONT g_skinFont = nullptr;

HFONT skinFont() {
  return g_skinFont != nullptr ? g_skinFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Canvas pixels are B, G, R, A in memory: 0xAARRGGBB.
std::uint32_t pixelOf(COLORREF colour) {
  return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

std::uint32_t blend(std::uint32_t under, COLORREF over, BYTE alpha) {
  const auto mix = [alpha](std::uint32_t a, std::uint32_t b) {
    return (a * (255u - alpha) + b * alpha + 127u) / 255u;
  };
  const std::uint32_t r = mix((under >> 16) & 0xFF, GetRValue(over));
  const std::uint32_t g = mix((under >> 8) & 0xFF, GetGValue(over));
  const std::uint32_t b = mix(under & 0xFF, GetBValue(over));
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// The classes whose background is the parent's: labels, group boxes, radio buttons and check
// boxes, sliders. Push buttons ask with WM_CTLCOLORBTN, and read-only edit boxes, which also
// ask with WM_CTLCOLORSTATIC, keep their own face.
bool showsCanvasBehind(HWND child) {
  const std::string name = windowClassName(child);
  if (name == "Static" || name == TRACKBAR_CLASSA) return true;
  if (name != "Button") return false;
  const LONG_PTR type = GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_GROUPBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
         type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
         type == BS_AUTO3STATE;
}

class SkinnedWindow {
 public:
  SkinnedWindow(HWND window, SkinOptions options) : window_(window), options_(std::move(options)) {}

  void setOptions(SkinOptions options) {
    options_ = std::move(options);
    refresh();
  }

  void refresh() {
    dirty_ = true;
    RedrawWindow(window_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  }

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<SkinnedWindow*>(data);
    // No exception leaves a window procedure: a face that cannot be composed (out of
    // memory) leaves the message to the window as if it were not skinned.
    try {
      return self->handle(message, wParam, lParam);
    } catch (...) {
      return DefSubclassProc(window, message, wParam, lParam);
    }
  }

 private:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_NCCALCSIZE:
        // No frame of the system's: the whole window is client area.
        return 0;
      case WM_NCHITTEST:
        return hitTest(lParam);
      case WM_ERASEBKGND:
        paintInto(reinterpret_cast<HDC>(wParam));
        return 1;
      case WM_PRINTCLIENT:
        paintInto(reinterpret_cast<HDC>(wParam));
        return 0;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window_, &ps);
        paintInto(dc);
        EndPaint(window_, &ps);
        return 0;
      }
      case WM_CTLCOLORSTATIC: {
        HWND child = reinterpret_cast<HWND>(lParam);
        if (!showsCanvasBehind(child)) break;
        return reinterpret_cast<LRESULT>(canvasBrushFor(reinterpret_cast<HDC>(wParam), child));
      }
      case WM_MOUSEMOVE:
        if (onMouseMove(lParam)) return 0;
        break;
      case WM_MOUSELEAVE:
        trackingLeave_ = false;
        setHot(SkinButton::none);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (const SkinButton button = buttonAt(lParam); button != SkinButton::none) {
          pressed_ = button;
          SetCapture(window_);
          redrawCaption();
          return 0;
        }
        break;
      case WM_LBUTTONUP:
        if (pressed_ != SkinButton::none) {
          onButtonReleased(lParam);  // may destroy the window and this object
          return 0;
        }
        break;
      case WM_CAPTURECHANGED:
        if (pressed_ != SkinButton::none) {
          pressed_ = SkinButton::none;
          redrawCaption();
        }
        break;
      case WM_NCRBUTTONUP:
        if (wParam == HTCAPTION) {
          showSystemMenu(POINT{xOf(lParam), yOf(lParam)});
          return 0;
        }
        break;
      case WM_SETTEXT:
      case WM_SETICON:
      case WM_SIZE: {
        const LRESULT result = DefSubclassProc(window_, message, wParam, lParam);
        refresh();
        return result;
      }
      case kSkinChanged:
        dirty_ = true;
        break;
      case kSkinRepaint:
        RedrawWindow(window_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME | RDW_UPDATENOW);
        break;
      case WM_DISPLAYCHANGE:
        // The canvas grows with a wider screen; every window rebuilds its face.
        buildSkinCanvas(false, LOWORD(lParam), HIWORD(lParam));
        refresh();
        break;
      case WM_DESTROY:
        // Nothing is sent to a window on its way out, nor to a later one with its handle.
        removeSkinnedWindow(window_);
        break;
      case WM_NCDESTROY: {
        HWND window = window_;
        removeSkinnedWindow(window);
        RemovePropA(window, kSkinProperty);
        RemoveWindowSubclass(window, procedure, kSubclassId);
        delete this;
        return DefSubclassProc(window, message, wParam, lParam);
      }
      default:
        break;
    }
    return DefSubclassProc(window_, message, wParam, lParam);
  }

  static int xOf(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
  static int yOf(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

  int clientWidth() const {
    RECT client{};
    GetClientRect(window_, &client);
    return client.right;
  }

  SkinButton buttonAt(LPARAM clientPoint) const {
    const POINT p{xOf(clientPoint), yOf(clientPoint)};
    const int width = clientWidth();
    for (SkinButton button : {SkinButton::minimise, SkinButton::close}) {
      const RECT r = skinButtonRect(width, button);
      if (PtInRect(&r, p)) return button;
    }
    return SkinButton::none;
  }

  LRESULT hitTest(LPARAM screenPoint) {
    POINT p{xOf(screenPoint), yOf(screenPoint)};
    ScreenToClient(window_, &p);
    RECT client{};
    GetClientRect(window_, &client);
    if (!PtInRect(&client, p)) return HTNOWHERE;
    if (buttonAt(MAKELPARAM(p.x, p.y)) != SkinButton::none) return HTCLIENT;
    return p.y < kSkinCaptionHeight ? HTCAPTION : HTCLIENT;
  }

  bool onMouseMove(LPARAM lParam) {
    const SkinButton hot = buttonAt(lParam);
    setHot(hot);
    if (hot != SkinButton::none && !trackingLeave_) {
      TRACKMOUSEEVENT track{};
      track.cbSize = sizeof track;
      track.dwFlags = TME_LEAVE;
      track.hwndTrack = window_;
      trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    return hot != SkinButton::none || pressed_ != SkinButton::none;
  }

  void setHot(SkinButton hot) {
    if (hot == hot_) return;
    hot_ = hot;
    redrawCaption();
  }

  void onButtonReleased(LPARAM lParam) {
    const SkinButton pressed = pressed_;
    const bool onIt = buttonAt(lParam) == pressed;
    pressed_ = SkinButton::none;
    ReleaseCapture();
    redrawCaption();
    if (!onIt) return;
    // The system's own commands, so the window minimises and closes as from its system menu.
    SendMessageA(window_, WM_SYSCOMMAND, pressed == SkinButton::close ? SC_CLOSE : SC_MINIMIZE, 0);
  }

  void showSystemMenu(POINT screen) {
    HMENU menu = GetSystemMenu(window_, FALSE);
    if (menu == nullptr) return;
    const int command = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                        screen.x, screen.y, 0, window_, nullptr));
    if (command != 0) PostMessageA(window_, WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
  }

  void redrawCaption() {
    dirty_ = true;
    const RECT caption{0, 0, clientWidth(), kSkinCaptionHeight};
    InvalidateRect(window_, &caption, FALSE);
  }

  // The face's brush, aligned so that a child filling its own rectangle with it shows the
  // part of the face that lies under it. A group box only fills behind its title, so its
  // inside is filled here.
  HBRUSH canvasBrushFor(HDC dc, HWND child) {
    composeIfDirty();
    RECT place = rectInParent(child);
    SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour());
    if ((GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX &&
        windowClassName(child) == "Button") {
      RECT inside{};
      GetClientRect(child, &inside);
      FillRect(dc, &inside, brush_.get());
    }
    return brush_.get();
  }

  void paintInto(HDC dc) {
    composeIfDirty();
    MemoryDC source(dc);
    if (source.get() == nullptr || !face_) return;
    SelectionGuard select(source.get(), face_.get());
    BitBlt(dc, 0, 0, faceWidth_, faceHeight_, source.get(), 0, 0, SRCCOPY);
  }

  void composeIfDirty() {
    RECT client{};
    GetClientRect(window_, &client);
    const int width = std::max<int>(client.right, 1), height = std::max<int>(client.bottom, 1);
    if (!dirty_ && face_ && width == faceWidth_ && height == faceHeight_) return;
    if (!face_ || width != faceWidth_ || height != faceHeight_) {
      void* bits = nullptr;
      face_.reset(createTopDownDib(width, height, &bits));
      if (!face_) return;
      pixels_ = static_cast<std::uint32_t*>(bits);
      faceWidth_ = width;
      faceHeight_ = height;
    }
    dirty_ = false;
    copyCanvas();
    blendButtonBackgrounds();
    MemoryDC dc(nullptr);
    if (dc.get() != nullptr) {
      SelectionGuard select(dc.get(), face_.get());
      drawFrameAndCaption(dc.get());
      if (options_.paint) {
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), textColour());
        options_.paint(dc.get(), RECT{0, 0, faceWidth_, faceHeight_});
      }
    }
    GdiFlush();
    brush_.reset(CreatePatternBrush(face_.get()));
  }

  // The window's part of the canvas is its top-left: every window shows the picture from
  // its corner, and beyond the canvas (a window larger than the screen) the average colour.
  void copyCanvas() {
    GdiFlush();
    const SkinCanvas& canvas = skinCanvas();
    const std::uint32_t beyond = pixelOf(averageColour());
    for (int y = 0; y < faceHeight_; ++y) {
      std::uint32_t* row = pixels_ + static_cast<std::ptrdiff_t>(y) * faceWidth_;
      int copied = 0;
      if (canvas.pixels != nullptr && y < canvas.height) {
        copied = std::min(faceWidth_, canvas.width);
        std::memcpy(row, canvas.pixels + static_cast<std::ptrdiff_t>(y) * canvas.width,
                    static_cast<std::size_t>(copied) * 4);
      }
      std::fill(row + copied, row + faceWidth_, beyond);
    }
  }

  void blendRect(const RECT& r, COLORREF colour, BYTE alpha) {
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, faceHeight_); ++y) {
      for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, faceWidth_); ++x) {
        std::uint32_t& p = pixels_[static_cast<std::ptrdiff_t>(y) * faceWidth_ + x];
        p = blend(p, colour, alpha);
      }
    }
  }

  void blendButtonBackgrounds() {
    for (SkinButton button : {SkinButton::minimise, SkinButton::close}) {
      const RECT r = skinButtonRect(faceWidth_, button);
      if (pressed_ == button) {
        if (button == SkinButton::close) {
          blendRect(r, kClosePressed, 255);
        } else {
          blendRect(r, textColour(), kPressedAlpha);
        }
      } else if (hot_ == button && pressed_ == SkinButton::none) {
        if (button == SkinButton::close) {
          blendRect(r, kCloseHot, 255);
        } else {
          blendRect(r, textColour(), kHotAlpha);
        }
      }
    }
  }

  void drawFrameAndCaption(HDC dc) {
    // A one-pixel border in the average colour darkened by half: visible on any picture.
    const COLORREF average = averageColour();
    const COLORREF border =
        RGB(GetRValue(average) / 2, GetGValue(average) / 2, GetBValue(average) / 2);
    Brush borderBrush(CreateSolidBrush(border));
    const RECT whole{0, 0, faceWidth_, faceHeight_};
    FrameRect(dc, &whole, borderBrush.get());

    HICON icon = reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_SMALL2, 0));
    if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window_, GCLP_HICONSM));
    if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window_, GCLP_HICON));
    if (icon != nullptr) {
      DrawIconEx(dc, kIconLeft, (kTitleBandHeight - kIconSide) / 2, icon, kIconSide, kIconSide, 0,
                 nullptr, DI_NORMAL);
    }

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour());
    SelectionGuard font(dc, skinFont());
    const std::string title = windowText(window_);
    RECT titleRect{kTitleLeft, 0, skinButtonRect(faceWidth_, SkinButton::minimise).left - 4,
                   kTitleBandHeight};
    DrawTextA(dc, title.c_str(), static_cast<int>(title.size()), &titleRect,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);

    for (SkinButton button : {SkinButton::minimise, SkinButton::close}) drawGlyph(dc, button);
  }

  void drawGlyph(HDC dc, SkinButton button) {
    const RECT r = skinButtonRect(faceWidth_, button);
    const bool lit = button == SkinButton::close && (hot_ == button || pressed_ == button);
    Pen pen(CreatePen(PS_SOLID, 1, lit ? RGB(255, 255, 255) : textColour()));
    SelectionGuard usePen(dc, pen.get());
    const int left = (r.left + r.right - kGlyphSide) / 2;
    const int top = (r.top + r.bottom - kGlyphSide) / 2;
    if (button == SkinButton::minimise) {
      MoveToEx(dc, left, top + kGlyphSide / 2, nullptr);
      LineTo(dc, left + kGlyphSide + 1, top + kGlyphSide / 2);
    } else {
      // Two strokes each way: a cross that reads at this size.
      for (int shift = 0; shift < 2; ++shift) {
        MoveToEx(dc, left + shift, top, nullptr);
        LineTo(dc, left + kGlyphSide + shift, top + kGlyphSide);
        MoveToEx(dc, left + kGlyphSide - 1 + shift, top, nullptr);
        LineTo(dc, left - 1 + shift, top + kGlyphSide);
      }
    }
  }

  HWND window_;
  SkinOptions options_;
  Bitmap face_;
  std::uint32_t* pixels_ = nullptr;
  int faceWidth_ = 0, faceHeight_ = 0;
  bool dirty_ = true;
  Brush brush_;
  SkinButton hot_ = SkinButton::none;
  SkinButton pressed_ = SkinButton::none;
  bool trackingLeave_ = false;
};

SkinnedWindow* skinnedWindowOf(HWND window) {
  return static_cast<SkinnedWindow*>(GetPropA(window, kSkinProperty));
}

}  // namespace

bool attachSkin(HWND window, SkinOptions options) {
  if (!IsWindow(window)) return false;
  if (SkinnedWindow* skinned = skinnedWindowOf(window)) {
    skinned->setOptions(std::move(options));
    return true;
  }
  auto* skinned = new SkinnedWindow(window, std::move(options));
  if (!SetWindowSubclass(window, SkinnedWindow::procedure, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(skinned))) {
    delete skinned;
    return false;
  }
  SetPropA(window, kSkinProperty, skinned);
  // The system draws no frame or caption any more; the system menu and the minimise box
  // stay, so Alt+Space, Alt+F4 and the taskbar behave as before.
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  SetWindowLongPtrA(window, GWL_STYLE, (style & ~(WS_CAPTION | WS_THICKFRAME)) | WS_CLIPCHILDREN);
  const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
  SetWindowLongPtrA(
      window, GWL_EXSTYLE,
      exStyle & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  addSkinnedWindow(window);
  skinned->refresh();
  return true;
}

bool isSkinned(HWND window) { return skinnedWindowOf(window) != nullptr; }

void refreshSkin(HWND window) {
  if (SkinnedWindow* skinned = skinnedWindowOf(window)) skinned->refresh();
}

void setSkinFont(HFONT font) { g_skinFont = font; }

RECT skinButtonRect(int clientWidth, SkinButton button) {
  // Flush with the top and the one-pixel border on the right, close outermost.
  const int closeLeft = clientWidth - 1 - kSkinButtonWidth;
  switch (button) {
    case SkinButton::close:
      return RECT{closeLeft, 1, closeLeft + kSkinButtonWidth, 1 + kSkinButtonHeight};
    case SkinButton::minimise:
      return RECT{closeLeft - kSkinButtonWidth, 1, closeLeft, 1 + kSkinButtonHeight};
    case SkinButton::none:
      break;
  }
  return RECT{0, 0, 0, 0};
}

}  // namespace ui
