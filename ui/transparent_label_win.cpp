// TransparentLabel: classifying, attaching, painting over the parent's pixels, detaching.
//
// Window procedures, device contexts, bitmaps and fonts are pointer-sized on 64-bit Windows:
// the properties hold whole handles and the subclassing goes through GWLP_WNDPROC, never
// through 32-bit window longs, which would cut them in half.
#include "ui/transparent_label_win.h"

#include <string>
#include <vector>

#include "platform/text.h"
#include "ui/gdi_win.h"

namespace ui {

const char kTypeProperty[] = "NimboTranSparentType";
const char kDrawFormatProperty[] = "NimboTranSparent_DrawFormat";
const char kTextColorProperty[] = "NimboTranSparent_TextColor";
const char kFontProperty[] = "NimboTranSparent_hFont";
const char kProcProperty[] = "NimboTranSparentProc";
const char kCacheDCProperty[] = "NimboTranSparent_CacheDC";
const char kBitmapProperty[] = "NimboTranSparent_Bitmap";
const char kOldBitmapProperty[] = "NimboTranSparent_OldBitmap";

namespace {

constexpr int kGlyphSize = 13;
constexpr int kCheckBoxColumn = 0;
constexpr int kRadioColumn = 32;
constexpr int kTickedRows = 4 * kGlyphSize;    // cells 4 to 7: ticked or selected
constexpr int kDisabledRows = 3 * kGlyphSize;  // cell 3 of each group: disabled
constexpr int kTextLeft = kGlyphSize + 2;
constexpr COLORREF kGlyphKey = RGB(0xFF, 0x00, 0xFF);
constexpr int kDefaultFontHeight = 12;
constexpr int kGb2312Charset = 134;

// The module-wide glyph sheet: it lives from start-up to the end of the process.
struct GlyphSheet {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
};

GlyphSheet& glyphSheet() {
  static GlyphSheet sheet;
  return sheet;
}

template <typename Handle>
Handle handleProperty(HWND hwnd, const char* name) {
  return reinterpret_cast<Handle>(GetPropA(hwnd, name));
}

template <typename Handle>
void setHandleProperty(HWND hwnd, const char* name, Handle value) {
  SetPropA(hwnd, name, reinterpret_cast<HANDLE>(value));
}

LONG_PTR valueProperty(HWND hwnd, const char* name) {
  return reinterpret_cast<LONG_PTR>(GetPropA(hwnd, name));
}

void setValueProperty(HWND hwnd, const char* name, LONG_PTR value) {
  SetPropA(hwnd, name, reinterpret_cast<HANDLE>(value));
}

UINT drawFormat(int horizontalAlignment, int verticalAlignment, bool wordWrap) {
  UINT flags = 0;
  if (horizontalAlignment == 1) flags |= DT_CENTER;
  if (horizontalAlignment == 2) flags |= DT_RIGHT;
  if (verticalAlignment == 1) flags |= DT_VCENTER;
  if (verticalAlignment == 2) flags |= DT_BOTTOM;
  flags |= wordWrap ? DT_WORDBREAK : DT_SINGLELINE;
  return flags;
}

// Clears a style bit or sets an extended one, writing the word back only when it changes.
void changeStyle(HWND hwnd, int index, LONG_PTR add, LONG_PTR remove) {
  const LONG_PTR old = GetWindowLongPtrA(hwnd, index);
  const LONG_PTR changed = (old | add) & ~remove;
  if (changed != old) SetWindowLongPtrA(hwnd, index, changed);
}

// Retakes the snapshot of what lies under the control: the control is transparent and its
// parent does not clip it, so the paint context still shows what the parent painted there.
void refreshSnapshot(HWND hwnd, HDC paintDC) {
  RECT window{};
  GetWindowRect(hwnd, &window);
  const int width = window.right - window.left, height = window.bottom - window.top;
  HDC cache = handleProperty<HDC>(hwnd, kCacheDCProperty);
  if (cache == nullptr) {
    cache = CreateCompatibleDC(paintDC);
    if (cache == nullptr) return;
    setHandleProperty(hwnd, kCacheDCProperty, cache);
  }
  if (HBITMAP old = handleProperty<HBITMAP>(hwnd, kBitmapProperty)) {
    SelectObject(cache, handleProperty<HGDIOBJ>(hwnd, kOldBitmapProperty));
    DeleteObject(old);
    setHandleProperty<HBITMAP>(hwnd, kBitmapProperty, nullptr);
  }
  if (width <= 0 || height <= 0) return;
  HBITMAP snapshot = CreateCompatibleBitmap(paintDC, width, height);
  if (snapshot == nullptr) return;
  HGDIOBJ displaced = SelectObject(cache, snapshot);
  BitBlt(cache, 0, 0, width, height, paintDC, 0, 0, SRCCOPY);
  setHandleProperty(hwnd, kBitmapProperty, snapshot);
  setHandleProperty(hwnd, kOldBitmapProperty, displaced);
}

// The glyph of a check box or radio button, in the 13-pixel columns of the sheet.
void drawGlyph(HWND hwnd, int kind, HDC canvas, int height) {
  int row = 0;
  if (SendMessageA(hwnd, BM_GETCHECK, 0, 0) != 0) row += kTickedRows;
  if (!IsWindowEnabled(hwnd)) row += kDisabledRows;
  HDC glyphs = glyphSheet().dc;
  if (glyphs == nullptr) return;
  const int y = (height - kGlyphSize) / 2;
  if (kind == kCheckBoxControl) {
    BitBlt(canvas, 0, y, kGlyphSize, kGlyphSize, glyphs, kCheckBoxColumn, row, SRCCOPY);
  } else {
    TransparentBlt(canvas, 0, y, kGlyphSize, kGlyphSize, glyphs, kRadioColumn, row, kGlyphSize,
                   kGlyphSize, kGlyphKey);
  }
}

void drawText(HWND hwnd, HDC canvas, RECT textRect, UINT flags) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return;
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(hwnd, text.data(), length + 1);
  if (got <= 0) return;
  SetBkMode(canvas, TRANSPARENT);
  SetTextColor(canvas, static_cast<COLORREF>(valueProperty(hwnd, kTextColorProperty)));
  SelectionGuard font(canvas, handleProperty<HFONT>(hwnd, kFontProperty));
  DrawTextA(canvas, text.data(), got, &textRect, flags);
}

// Composes snapshot, glyph and text off-screen and puts them on screen in one copy, so the
// text never flickers against the background.
void composeAndShow(HWND hwnd, HDC paintDC) {
  HDC cache = handleProperty<HDC>(hwnd, kCacheDCProperty);
  if (cache == nullptr) return;
  RECT client{};
  GetClientRect(hwnd, &client);
  const int w = client.right - client.left, h = client.bottom - client.top;
  MemoryDC canvas(paintDC);
  Bitmap image(CreateCompatibleBitmap(paintDC, w, h));
  if (canvas.get() == nullptr || !image) return;
  SelectionGuard into(canvas.get(), image.get());
  BitBlt(canvas.get(), 0, 0, w, h, cache, 0, 0, SRCCOPY);

  RECT textRect = client;
  auto flags = static_cast<UINT>(valueProperty(hwnd, kDrawFormatProperty));
  const auto kind = static_cast<int>(valueProperty(hwnd, kTypeProperty));
  if (kind == kCheckBoxControl || kind == kRadioButtonControl) {
    drawGlyph(hwnd, kind, canvas.get(), h);
    textRect.left = kTextLeft;
    flags = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
  }
  try {
    drawText(hwnd, canvas.get(), textRect, flags);
  } catch (...) {
    // No memory for the text: the background and glyph still show.
  }
  BitBlt(paintDC, 0, 0, w, h, canvas.get(), 0, 0, SRCCOPY);
}

void paint(HWND hwnd) {
  PAINTSTRUCT ps{};
  HDC paintDC = BeginPaint(hwnd, &ps);
  if (paintDC != nullptr) {
    refreshSnapshot(hwnd, paintDC);
    composeAndShow(hwnd, paintDC);
  }
  EndPaint(hwnd, &ps);
}

// Gives the control its own procedure back and deletes the snapshot and its context.
void detach(HWND hwnd) {
  if (const LONG_PTR previous = valueProperty(hwnd, kProcProperty)) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, previous);
    setValueProperty(hwnd, kProcProperty, 0);
  }
  if (HDC cache = handleProperty<HDC>(hwnd, kCacheDCProperty)) {
    SelectObject(cache, handleProperty<HGDIOBJ>(hwnd, kOldBitmapProperty));
    if (HBITMAP snapshot = handleProperty<HBITMAP>(hwnd, kBitmapProperty)) DeleteObject(snapshot);
    DeleteDC(cache);
    RemovePropA(hwnd, kCacheDCProperty);
    RemovePropA(hwnd, kBitmapProperty);
    RemovePropA(hwnd, kOldBitmapProperty);
  }
}

// Has the parent repaint the area under the control, then the control: the snapshot of the
// control's next paint then holds the parent's pixels, not what the control showed before.
void repaintWithParent(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  RECT window{};
  GetWindowRect(hwnd, &window);
  if (parent != nullptr) {
    POINT topLeft{window.left, window.top};
    ScreenToClient(parent, &topLeft);
    const RECT underneath{topLeft.x, topLeft.y, topLeft.x + (window.right - window.left),
                          topLeft.y + (window.bottom - window.top)};
    InvalidateRect(parent, &underneath, FALSE);
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT callPrevious(WNDPROC previous, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (previous == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

const std::string& simSunFace() {
  static const std::string face = platform::utf8ToLocal("宋体");
  return face;
}

}  // namespace

bool loadGlyphSheet() {
  GlyphSheet& sheet = glyphSheet();
  if (sheet.dc != nullptr) return true;
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(kGlyphSheetResource), MAKEINTRESOURCEA(2));
  if (found == nullptr) return false;
  const DWORD size = SizeofResource(module, found);
  const auto* info = static_cast<const BITMAPINFO*>(LockResource(LoadResource(module, found)));
  // A bitmap resource is the file without its file header: the info header, then the rows.
  if (info == nullptr || size < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biSize > size ||
      info->bmiHeader.biBitCount != 24 || info->bmiHeader.biCompression != BI_RGB) {
    return false;
  }
  const auto& header = info->bmiHeader;
  const DWORD rowBytes = (static_cast<DWORD>(header.biWidth) * 3 + 3) / 4 * 4;
  const DWORD height = static_cast<DWORD>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
  if (rowBytes * height > size - header.biSize) return false;
  const BYTE* bits = reinterpret_cast<const BYTE*>(info) + header.biSize;

  WindowDC screen(nullptr);
  HDC dc = CreateCompatibleDC(screen.get());
  HBITMAP bitmap = CreateDIBitmap(screen.get(), &header, CBM_INIT, bits, info, DIB_RGB_COLORS);
  if (dc == nullptr || bitmap == nullptr) {
    if (dc != nullptr) DeleteDC(dc);
    if (bitmap != nullptr) DeleteObject(bitmap);
    return false;
  }
  SelectObject(dc, bitmap);
  sheet.dc = dc;
  sheet.bitmap = bitmap;
  return true;
}

int classifyControl(HWND hwnd) {
  char buffer[256] = {};
  const int got = GetClassNameA(hwnd, buffer, sizeof buffer);
  const std::string name(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
  if (name == "Static") return kStaticControl;
  if (name == "Button") {
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    const bool pushLike = (style & BS_PUSHLIKE) != 0;
    switch (style & 31) {
      case 0:
      case 1:
        return kPushButtonControl;
      case 2:
      case 3:
      case 5:
      case 6:
        return pushLike ? kPushButtonControl : kCheckBoxControl;
      case 4:
      case 9:
        return pushLike ? kPushButtonControl : kRadioButtonControl;
      default:
        return (style & 7) != 0 ? kOtherButtonControl : kNotAttachable;
    }
  }
  // "SysLink", "ComboBox", "SysListView32", tooltips and progress bars are not attachable,
  // like every other class save those a framework registers under "Afx:".
  return name.compare(0, 4, "Afx:") == 0 ? kFrameworkControl : kNotAttachable;
}

bool attachTransparentLabel(HWND hwnd, int horizontalAlignment, int verticalAlignment,
                            bool wordWrap, COLORREF textColor, int fontHeight, bool bold,
                            bool underline, bool italic) {
  if (!IsWindow(hwnd)) return false;
  const int kind = classifyControl(hwnd);
  if (kind == kNotAttachable || kind == kPushButtonControl || kind == kOtherButtonControl) {
    return false;
  }
  setValueProperty(hwnd, kTypeProperty, kind);
  setValueProperty(hwnd, kDrawFormatProperty,
                   drawFormat(horizontalAlignment, verticalAlignment, wordWrap));

  HFONT font = CreateFontA(fontHeight == 0 ? kDefaultFontHeight : fontHeight, 0, 0, 0,
                           bold ? FW_BOLD : FW_NORMAL, italic ? 1 : 0, underline ? 1 : 0, 0,
                           kGb2312Charset, 0, 0, 0, 0, simSunFace().c_str());
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // The control now draws with the new font, so the one an earlier attach made can go.
  HFONT replaced = handleProperty<HFONT>(hwnd, kFontProperty);
  setHandleProperty(hwnd, kFontProperty, font);
  if (replaced != nullptr && replaced != font) DeleteObject(replaced);
  setValueProperty(hwnd, kTextColorProperty, static_cast<LONG_PTR>(textColor));

  // Subclass once: a second attach keeps the procedure the control had before the first.
  if (valueProperty(hwnd, kProcProperty) == 0) {
    setValueProperty(hwnd, kProcProperty, GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(transparentLabelProc));
  }

  changeStyle(hwnd, GWL_STYLE, 0, WS_CLIPSIBLINGS);
  changeStyle(hwnd, GWL_EXSTYLE, WS_EX_TRANSPARENT, 0);
  HWND parent = GetParent(hwnd);
  if (parent != nullptr) changeStyle(parent, GWL_STYLE, 0, WS_CLIPCHILDREN);

  repaintWithParent(hwnd);
  return true;
}

LRESULT CALLBACK transparentLabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto previous = reinterpret_cast<WNDPROC>(valueProperty(hwnd, kProcProperty));
  switch (message) {
    case WM_PAINT:
      paint(hwnd);
      return 1;
    case WM_DESTROY: {
      detach(hwnd);
      const LRESULT result = callPrevious(previous, hwnd, message, wParam, lParam);
      // Only now that the control has handled its destruction can its font go.
      if (HFONT font = handleProperty<HFONT>(hwnd, kFontProperty)) DeleteObject(font);
      RemovePropA(hwnd, kFontProperty);
      return result;
    }
    case WM_SETTEXT:
    case WM_ENABLE:
    case BM_SETCHECK: {
      // A static draws its new text at once, box and all, and a button repaints itself on a
      // new state over what it showed before: either way the parent's picture must be painted
      // there again first, or the box or the old text stays behind the new one.
      const LRESULT result = callPrevious(previous, hwnd, message, wParam, lParam);
      repaintWithParent(hwnd);
      return result;
    }
    default:
      return callPrevious(previous, hwnd, message, wParam, lParam);
  }
}

}  // namespace ui
