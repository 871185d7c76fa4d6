// TransparentLabel on real controls: which controls attach, one subclassing however often
// they attach, what the screen shows over a parent's picture, and a clean detach.
#include "ui/transparent_label_win.h"

#include <commctrl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/startup_win.h"
#include "tests/gui/gui_support.h"
#include "ui/gdi_win.h"

namespace {

using gui_testing::local;

const char kPictureClass[] = "TransparentLabelTestPicture";
const char* const kAllProperties[] = {
    ui::kTypeProperty, ui::kDrawFormatProperty, ui::kTextColorProperty, ui::kFontProperty,
    ui::kProcProperty, ui::kCacheDCProperty,    ui::kBitmapProperty,    ui::kOldBitmapProperty};
constexpr COLORREF kMagenta = RGB(0xFF, 0x00, 0xFF);

// A picture that changes from pixel to pixel (a gradient crossed by diagonal stripes), so
// any box painted over it shows.
ui::Bitmap makePicture(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  ui::Bitmap picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  auto* pixel = static_cast<DWORD*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int shade = ((x + y) / 7) % 2 == 0 ? 0 : 28;
      const int r = 250 - 170 * y / height - shade, g = 200 - 90 * y / height + 40 * x / width;
      const int b = 130 + 100 * x / width - shade;
      *pixel++ = static_cast<DWORD>(r << 16 | (g - shade) << 8 | b);
    }
  }
  return picture;
}

LRESULT CALLBACK pictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  static ui::Bitmap picture;
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT) return DefWindowProcA(hwnd, message, wParam, lParam);
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client{};
  GetClientRect(hwnd, &client);
  if (!picture) picture = makePicture(client.right, client.bottom);
  ui::MemoryDC source(dc);
  ui::SelectionGuard selected(source.get(), picture.get());
  BitBlt(dc, 0, 0, client.right, client.bottom, source.get(), 0, 0, SRCCOPY);
  EndPaint(hwnd, &ps);
  return 0;
}

// The screen's pixels over a client rectangle of `window`, row by row.
struct Pixels {
  RECT area;
  std::vector<COLORREF> colours;
  COLORREF at(int x, int y) const {  // client coordinates
    const DWORD v = colours[static_cast<std::size_t>((y - area.top) * (area.right - area.left) +
                                                     (x - area.left))];
    return RGB(v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF);
  }
};

Pixels grab(HWND window, RECT area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  POINT origin{area.left, area.top};
  ClientToScreen(window, &origin);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  ui::Bitmap copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ui::WindowDC screen(nullptr);
  ui::MemoryDC memory(screen.get());
  {
    ui::SelectionGuard into(memory.get(), copy.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), origin.x, origin.y, SRCCOPY);
  }
  const auto* first = static_cast<const DWORD*>(bits);
  return {area, std::vector<COLORREF>(first, first + width * height)};
}

// True when `value` lies between `from` and `to`, give or take one for rounding.
bool between1(int value, int from, int to) {
  return value >= std::min(from, to) - 1 && value <= std::max(from, to) + 1;
}

int distance(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
         std::abs(GetBValue(a) - GetBValue(b));
}

class TransparentLabelTest : public testing::Test {
 protected:
  void SetUp() override {
    gui_testing::closeThreadWindows();
    WNDCLASSA picture{};
    picture.lpfnWndProc = pictureProc;
    picture.hInstance = GetModuleHandleA(nullptr);
    picture.lpszClassName = kPictureClass;
    RegisterClassA(&picture);
    parent_ = CreateWindowExA(0, kPictureClass, "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 60, 60,
                              360, 210, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    gui_testing::pumpMessages(100);
  }
  void TearDown() override { gui_testing::closeThreadWindows(); }

  HWND child(const char* className, const char* captionUtf8, DWORD style, int x, int y, int width,
             int height) {
    return CreateWindowExA(0, className, local(captionUtf8).c_str(), WS_CHILD | WS_VISIBLE | style,
                           x, y, width, height, parent_, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
  }

  HWND parent_ = nullptr;
};

TEST_F(TransparentLabelTest, AttachesLabelsCheckBoxesRadiosAndAfxWindowsOnly) {
  WNDCLASSA afx{};
  afx.lpfnWndProc = DefWindowProcA;
  afx.hInstance = GetModuleHandleA(nullptr);
  afx.lpszClassName = "Afx:00400000:8:00010003:00000000:00000000";
  RegisterClassA(&afx);
  struct Case {
    const char* className;
    DWORD style;
    int kind;
  };
  const Case cases[] = {
      {"Button", BS_PUSHBUTTON, ui::kPushButtonControl},
      {"Button", BS_DEFPUSHBUTTON, ui::kPushButtonControl},
      {"Button", BS_AUTOCHECKBOX | BS_PUSHLIKE, ui::kPushButtonControl},
      {"Button", BS_GROUPBOX, ui::kOtherButtonControl},
      {"ComboBox", CBS_DROPDOWNLIST, ui::kNotAttachable},
      {"SysListView32", LVS_REPORT, ui::kNotAttachable},
      {"Static", SS_LEFT, ui::kStaticControl},
      {"Button", BS_AUTOCHECKBOX, ui::kCheckBoxControl},
      {"Button", BS_AUTO3STATE, ui::kCheckBoxControl},
      {"Button", BS_AUTORADIOBUTTON, ui::kRadioButtonControl},
      {afx.lpszClassName, 0, ui::kFrameworkControl},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.className << " style " << c.style);
    HWND control = child(c.className, "x", c.style, 10, 10, 80, 20);
    ASSERT_NE(control, nullptr);
    const LONG_PTR original = GetWindowLongPtrA(control, GWLP_WNDPROC);
    EXPECT_EQ(ui::classifyControl(control), c.kind);
    const bool attachable = c.kind == ui::kStaticControl || c.kind == ui::kCheckBoxControl ||
                            c.kind == ui::kRadioButtonControl || c.kind == ui::kFrameworkControl;
    EXPECT_EQ(ui::attachTransparentLabel(control), attachable);
    if (attachable) {
      EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(control, ui::kTypeProperty)), c.kind);
      EXPECT_EQ(GetWindowLongPtrA(control, GWLP_WNDPROC),
                reinterpret_cast<LONG_PTR>(ui::transparentLabelProc));
    } else {
      for (const char* name : kAllProperties) EXPECT_EQ(GetPropA(control, name), nullptr) << name;
      EXPECT_EQ(GetWindowLongPtrA(control, GWLP_WNDPROC), original);
    }
    DestroyWindow(control);
  }
  EXPECT_FALSE(ui::attachTransparentLabel(nullptr));
}

LOGFONTA fontOf(HANDLE font) {
  LOGFONTA described{};
  GetObjectA(font, sizeof described, &described);
  return described;
}

TEST_F(TransparentLabelTest, SecondAttachKeepsTheOriginalProcedureAndReplacesTheFont) {
  HWND label = child("Static", "x", SS_LEFT, 10, 10, 80, 20);
  const LONG_PTR original = GetWindowLongPtrA(label, GWLP_WNDPROC);
  ASSERT_TRUE(ui::attachTransparentLabel(label));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(label, ui::kDrawFormatProperty)), DT_SINGLELINE);
  HANDLE first = GetPropA(label, ui::kFontProperty);
  const LOGFONTA defaults = fontOf(first);
  EXPECT_EQ(defaults.lfHeight, 12);
  EXPECT_EQ(defaults.lfWeight, FW_NORMAL);
  EXPECT_EQ(defaults.lfCharSet, GB2312_CHARSET);
  EXPECT_STREQ(defaults.lfFaceName, local("宋体").c_str());

  ASSERT_TRUE(ui::attachTransparentLabel(label, 1, 2, true, RGB(1, 2, 3), 0, true, true, true));
  // The whole 64-bit pointer of the label's own procedure, not a cut-down copy of ours.
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(label, ui::kProcProperty)), original);
  EXPECT_EQ(GetWindowLongPtrA(label, GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(ui::transparentLabelProc));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(label, ui::kDrawFormatProperty)),
            DT_CENTER | DT_BOTTOM | DT_WORDBREAK);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(label, ui::kTextColorProperty)), RGB(1, 2, 3));
  HANDLE second = GetPropA(label, ui::kFontProperty);
  EXPECT_EQ(reinterpret_cast<HANDLE>(SendMessageA(label, WM_GETFONT, 0, 0)), second);
  EXPECT_EQ(GetObjectType(first), 0u) << "the first attach's font leaked";
  const LOGFONTA chosen = fontOf(second);
  EXPECT_EQ(chosen.lfHeight, 12) << "a height of 0 counts as 12";
  EXPECT_EQ(chosen.lfWeight, FW_BOLD);
  EXPECT_TRUE(chosen.lfItalic && chosen.lfUnderline);
  EXPECT_EQ(GetWindowLongPtrA(label, GWL_EXSTYLE) & WS_EX_TRANSPARENT, WS_EX_TRANSPARENT);
  EXPECT_EQ(GetWindowLongPtrA(parent_, GWL_STYLE) & WS_CLIPCHILDREN, 0);
}

TEST_F(TransparentLabelTest, DrawsTextAndGlyphsOverTheParentsPicture) {
  const Pixels before = grab(parent_, {0, 0, 360, 210});
  const COLORREF textColour = RGB(170, 10, 50);
  HWND label = child("Static", "觉得歌名不对？", SS_LEFT, 16, 14, 200, 24);
  HWND baidu = child("Button", "百度服务器", BS_AUTORADIOBUTTON | WS_GROUP, 16, 48, 110, 20);
  HWND soso = child("Button", "腾讯服务器", BS_AUTORADIOBUTTON, 140, 48, 110, 20);
  HWND ticked = child("Button", "已勾选", BS_AUTOCHECKBOX, 16, 80, 110, 20);
  HWND unticked = child("Button", "未勾选", BS_AUTOCHECKBOX, 140, 80, 110, 20);
  HWND disabled = child("Button", "不可用", BS_AUTOCHECKBOX, 16, 110, 110, 20);
  HWND wrapped =
      child("Static", "歌词智能判断歌曲名：居中、加粗、自动换行的标签", SS_LEFT, 140, 108, 200, 40);
  HWND button = child("Button", "查询", BS_PUSHBUTTON, 16, 160, 80, 26);
  SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(app::interfaceFont()), FALSE);
  SendMessageA(baidu, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(ticked, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(disabled, BM_SETCHECK, BST_CHECKED, 0);
  EnableWindow(disabled, FALSE);
  ASSERT_TRUE(ui::attachTransparentLabel(label, 0, 0, false, textColour));
  for (HWND control : {baidu, soso, ticked, unticked, disabled}) {
    ASSERT_TRUE(ui::attachTransparentLabel(control));
  }
  ASSERT_TRUE(ui::attachTransparentLabel(wrapped, 1, 1, true, RGB(255, 255, 255), 14, true));
  EXPECT_FALSE(ui::attachTransparentLabel(button));
  SetForegroundWindow(parent_);
  gui_testing::pumpMessages(400);
  const Pixels after = grab(parent_, {0, 0, 360, 210});

  EXPECT_NE(gui_testing::keepScreenshot(parent_, "transparent_label.png"), "");

  // The label: only its text changed the picture, on one line at the top left. Every changed
  // pixel lies between the picture's colour and the text colour (antialiasing blends the
  // two), and some are mostly text colour.
  RECT changed{360, 210, 0, 0};
  int blendedTowardText = 0, mostlyText = 0, otherColour = 0;
  for (int y = 14; y < 14 + 24; ++y) {
    for (int x = 16; x < 16 + 200; ++x) {
      const COLORREF was = before.at(x, y), is = after.at(x, y);
      if (is == was) continue;
      changed = {std::min<LONG>(changed.left, x), std::min<LONG>(changed.top, y),
                 std::max<LONG>(changed.right, x + 1), std::max<LONG>(changed.bottom, y + 1)};
      const bool between = between1(GetRValue(is), GetRValue(was), GetRValue(textColour)) &&
                           between1(GetGValue(is), GetGValue(was), GetGValue(textColour)) &&
                           between1(GetBValue(is), GetBValue(was), GetBValue(textColour));
      ++(between ? blendedTowardText : otherColour);
      if (between && 2 * distance(is, textColour) < distance(was, textColour)) ++mostlyText;
    }
  }
  EXPECT_LE(changed.left - 16, 2);
  EXPECT_LE(changed.top - 14, 3);
  EXPECT_LE(changed.bottom - changed.top, 13) << "more than one line of 12-pixel text changed";
  EXPECT_LT(changed.right - 16, 120) << "a box was drawn, not just the text";
  EXPECT_EQ(otherColour, 0) << "pixels not of the text colour: " << blendedTowardText << " were";
  EXPECT_GT(mostlyText, 10);

  // The glyphs: the sheet's own pixels, with the radio's magenta showing the picture.
  ui::Bitmap sheet(
      LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ui::kGlyphSheetResource)));
  ui::MemoryDC sheetDC(nullptr);
  ui::SelectionGuard selected(sheetDC.get(), sheet.get());
  int transparent = 0;
  for (int y = 0; y < 13; ++y) {
    for (int x = 0; x < 13; ++x) {
      SCOPED_TRACE(testing::Message() << "glyph pixel " << x << ", " << y);
      const COLORREF radio = GetPixel(sheetDC.get(), 32 + x, y);
      if (radio == kMagenta) ++transparent;
      // 腾讯服务器 is enabled and not selected: cell 0; the glyph sits at (h - 13) / 2 = 3.
      EXPECT_EQ(after.at(140 + x, 48 + 3 + y),
                radio == kMagenta ? before.at(140 + x, 51 + y) : radio);
      // The disabled, ticked check box: row offset 52 + 39 = 91.
      EXPECT_EQ(after.at(16 + x, 110 + 3 + y), GetPixel(sheetDC.get(), x, 91 + y));
    }
  }
  EXPECT_GT(transparent, 4) << "the radio cell has no magenta corners to test";
}

TEST_F(TransparentLabelTest, NewTextIsDrawnOverThePictureWithoutTheOldOne) {
  const Pixels before = grab(parent_, {0, 0, 360, 210});
  HWND label = child("Static", "WWWWWWWWWWWW", SS_LEFT, 16, 14, 200, 24);
  ASSERT_TRUE(ui::attachTransparentLabel(label));
  gui_testing::pumpMessages(200);
  SetWindowTextA(label, "I");
  gui_testing::pumpMessages(300);
  const Pixels after = grab(parent_, {0, 0, 360, 210});
  int rightmostChange = 0;
  for (int y = 14; y < 14 + 24; ++y) {
    for (int x = 16; x < 16 + 200; ++x) {
      if (after.at(x, y) != before.at(x, y)) rightmostChange = std::max(rightmostChange, x);
    }
  }
  EXPECT_LT(rightmostChange - 16, 12) << "a box or the old text shows beside the new text";
}

// The control's procedure before the attach, which watches its own WM_DESTROY.
struct DestroyWatch {
  WNDPROC label = nullptr;
  HANDLE font = nullptr;
  bool seen = false, detached = false, cacheGone = false, fontAlive = false;
} watch;

LRESULT CALLBACK watchingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    watch.seen = true;
    watch.detached =
        GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(watchingProc) &&
        GetPropA(hwnd, ui::kProcProperty) == nullptr;
    watch.cacheGone = GetPropA(hwnd, ui::kCacheDCProperty) == nullptr &&
                      GetPropA(hwnd, ui::kBitmapProperty) == nullptr &&
                      GetPropA(hwnd, ui::kOldBitmapProperty) == nullptr;
    watch.fontAlive = GetObjectType(watch.font) == OBJ_FONT;
  }
  return CallWindowProcA(watch.label, hwnd, message, wParam, lParam);
}

TEST_F(TransparentLabelTest, DestroyDetachesAndLeavesNoGdiObjectBehind) {
  HWND label = child("Static", "歌名", SS_LEFT, 10, 10, 80, 20);
  watch = {};
  watch.label = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watchingProc)));
  gui_testing::pumpMessages(50);
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);

  ASSERT_TRUE(ui::attachTransparentLabel(label));
  ASSERT_TRUE(ui::attachTransparentLabel(label));
  gui_testing::pumpMessages(100);
  watch.font = GetPropA(label, ui::kFontProperty);
  HANDLE cache = GetPropA(label, ui::kCacheDCProperty);
  HANDLE snapshot = GetPropA(label, ui::kBitmapProperty);
  ASSERT_NE(cache, nullptr) << "the label never painted";
  ASSERT_NE(snapshot, nullptr);

  DestroyWindow(label);
  EXPECT_TRUE(watch.seen) << "the label's own procedure missed WM_DESTROY";
  EXPECT_TRUE(watch.detached);
  EXPECT_TRUE(watch.cacheGone);
  EXPECT_TRUE(watch.fontAlive) << "the font went before the label had handled WM_DESTROY";
  EXPECT_EQ(GetObjectType(watch.font), 0u);
  EXPECT_EQ(GetObjectType(cache), 0u);
  EXPECT_EQ(GetObjectType(snapshot), 0u);

  gui_testing::pumpMessages(50);
  const DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (gdiBefore == 0) {
    std::printf("skipped: the GDI object count (Wine's GetGuiResources answers 0)\n");
  } else {
    EXPECT_EQ(gdiAfter, gdiBefore);
  }
}

}  // namespace
