// The skin's theme colours, its canvas pixel by pixel, and the notifications that every
// skinned window gets after a change.
#include "ui/skin_canvas_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "tests/gui/gui_support.h"
#include "tests/gui/skin_test_support.h"
#include "ui/skin_engine_win.h"

namespace {

using gui_testing::argb;
using gui_testing::bmpPicture;
using gui_testing::pngPicture;

constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);

class SkinCanvasTest : public testing::Test {
 protected:
  void SetUp() override { gui_testing::closeThreadWindows(); }
  void TearDown() override { gui_testing::closeThreadWindows(); }
};

// Two colours in alternate columns: the mean lies between them.
gui_testing::PixelAt columns(std::uint32_t even, std::uint32_t odd) {
  return [=](int x, int) { return x % 2 == 0 ? even : odd; };
}

TEST_F(SkinCanvasTest, ThemeColoursFollowTheAlphaWeightedAverage) {
  struct Case {
    const char* name;
    std::string picture;
    COLORREF average;
    COLORREF text;
  };
  const Case cases[] = {
      {"white BMP", bmpPicture(8, 8, columns(argb(255, 255, 255, 255), argb(255, 255, 255, 255))),
       kWhite, kBlack},
      {"black PNG", pngPicture(8, 8, columns(argb(255, 0, 0, 0), argb(255, 0, 0, 0))), kBlack,
       kWhite},
      // R + G + B = 382: mid-grey counts as dark.
      {"sum 382 BMP", bmpPicture(8, 8, columns(argb(255, 100, 127, 128), argb(255, 154, 127, 128))),
       RGB(127, 127, 128), kWhite},
      // Blue's mean is 127.5, which rounds up: R + G + B = 383, light.
      {"sum 383 PNG", pngPicture(8, 8, columns(argb(255, 128, 0, 255), argb(255, 128, 254, 0))),
       RGB(128, 127, 128), kBlack},
      // Opaque red beside blue at a third opacity: red weighs three times as much.
      {"half-transparent PNG", pngPicture(8, 8, columns(argb(255, 255, 0, 0), argb(85, 0, 0, 255))),
       RGB(191, 0, 64), kWhite},
      {"wholly transparent PNG",
       pngPicture(4, 4, columns(argb(0, 255, 255, 255), argb(0, 9, 9, 9))), kBlack, kWhite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.picture.empty());
    ASSERT_EQ(ui::averageColourOf(c.picture), std::optional<COLORREF>(c.average));
    ui::applySkinPicture(c.picture);
    EXPECT_EQ(ui::averageColour(), c.average);
    EXPECT_EQ(ui::textColour(), c.text);
    EXPECT_EQ(ui::contrastColour(), c.text == kBlack ? kWhite : kBlack);
  }
  EXPECT_EQ(ui::averageColourOf("not a picture at all"), std::nullopt);
  EXPECT_EQ(ui::averageColourOf(""), std::nullopt);
}

int distance(std::uint32_t a, std::uint32_t b) {
  int most = 0;
  for (int shift : {0, 8, 16}) {
    most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                   static_cast<int>((b >> shift) & 0xFF)));
  }
  return most;
}

TEST_F(SkinCanvasTest, PictureCanvasCopiesThePictureFadesItsEdgesAndFillsTheRest) {
  // 10-pixel squares of black and white: every pixel is far from the grey average.
  const auto checker = [](int x, int y) {
    return (x / 10 + y / 10) % 2 == 0 ? argb(255, 255, 255, 255) : argb(255, 0, 0, 0);
  };
  ui::applySkinPicture(bmpPicture(100, 100, checker));
  const ui::SkinCanvas& canvas = ui::skinCanvas();
  ASSERT_NE(canvas.pixels, nullptr);
  EXPECT_EQ(canvas.width, GetSystemMetrics(SM_CXSCREEN) + 10);
  EXPECT_EQ(canvas.height, GetSystemMetrics(SM_CYSCREEN) + 10);
  EXPECT_EQ(ui::canvasScreenWidth(), GetSystemMetrics(SM_CXSCREEN));
  const std::uint32_t c = argb(255, 128, 128, 128);
  ASSERT_EQ(ui::averageColour(), RGB(128, 128, 128));

  // Up to x = 50 and y = 50 the picture is copied one to one.
  for (int y = 0; y <= 50; ++y) {
    for (int x = 0; x <= 50; ++x) ASSERT_EQ(canvas.pixel(x, y), checker(x, y)) << x << "," << y;
  }
  // The right fade covers x = 51 to 100, the bottom one y = 51 to 100: each starts near the
  // picture and ends near the average, coming closer to it step by step.
  const auto checkFade = [&](auto at, const char* which) {
    SCOPED_TRACE(which);
    for (int line : {0, 25, 50}) {
      const std::pair<int, int> first = at(51, line);
      EXPECT_NE(canvas.pixel(first.first, first.second), checker(first.first, first.second));
      EXPECT_LT(
          distance(canvas.pixel(first.first, first.second), checker(first.first, first.second)),
          distance(canvas.pixel(first.first, first.second), c));
      int previous = 256;
      for (int step = 51; step <= 99; ++step) {
        const std::pair<int, int> p = at(step, line);
        const int now = distance(canvas.pixel(p.first, p.second), c);
        EXPECT_LE(now, previous) << step;
        previous = now;
      }
      EXPECT_LE(previous, 6);
    }
  };
  checkFade([](int step, int line) { return std::make_pair(step, line); }, "right");
  checkFade([](int step, int line) { return std::make_pair(line, step); }, "bottom");
  // Everything right of x = 99 or below y = 99 is the average colour.
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = y < 100 ? 100 : 0; x < canvas.width; ++x) {
      ASSERT_EQ(canvas.pixel(x, y), c) << x << "," << y;
    }
  }
}

TEST_F(SkinCanvasTest, PlainCanvasRunsFromTheTwiceLightenedColourToTheColour) {
  ui::applySkinColour(RGB(0x00, 0x60, 0xC0));
  EXPECT_EQ(ui::averageColour(), RGB(0x00, 0x60, 0xC0));
  EXPECT_EQ(ui::textColour(), kWhite);
  const ui::SkinCanvas& canvas = ui::skinCanvas();
  ASSERT_NE(canvas.pixels, nullptr);
  EXPECT_LE(distance(canvas.pixel(canvas.width - 1, 0), argb(255, 191, 215, 239)), 2);
  EXPECT_LE(distance(canvas.pixel(0, canvas.height - 1), argb(255, 0, 96, 192)), 2);
}

// A window of its own class that notes every skin message it is sent, in order.
std::vector<std::pair<HWND, UINT>> g_skinMessages;

LRESULT CALLBACK notingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == ui::kSkinChanged || message == ui::kSkinRepaint) {
    EXPECT_EQ(wParam, 0u);
    EXPECT_EQ(lParam, 0);
    g_skinMessages.emplace_back(window, message);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND newNotingWindow(int x) {
  HWND window =
      gui_testing::plainTopLevelWindow("SkinNotingWindow", notingProcedure, x, 600, 200, 120);
  EXPECT_TRUE(ui::attachSkin(window));
  return window;
}

TEST_F(SkinCanvasTest, EverySkinnedWindowIsToldInOrderAndAClosedOneIsForgotten) {
  const std::string first =
      bmpPicture(20, 20, columns(argb(255, 250, 240, 230), argb(255, 250, 240, 230)));
  const std::string second =
      pngPicture(20, 20, columns(argb(255, 10, 20, 30), argb(255, 10, 20, 30)));
  ui::applySkinPicture(first);
  HWND a = newNotingWindow(100), b = newNotingWindow(400);
  using Noted = std::vector<std::pair<HWND, UINT>>;

  g_skinMessages.clear();
  ui::applySkinPicture(second);
  EXPECT_EQ(g_skinMessages, (Noted{{a, ui::kSkinChanged},
                                   {a, ui::kSkinRepaint},
                                   {b, ui::kSkinChanged},
                                   {b, ui::kSkinRepaint}}));
  EXPECT_EQ(ui::averageColour(), RGB(10, 20, 30));

  // A destroyed window leaves the list at once.
  DestroyWindow(a);
  EXPECT_EQ(ui::skinnedWindows(), std::vector<HWND>{b});
  g_skinMessages.clear();
  ui::applySkinPicture(first);
  EXPECT_EQ(g_skinMessages, (Noted{{b, ui::kSkinChanged}, {b, ui::kSkinRepaint}}));

  // A file that does not decode: the windows are told, nothing else changes.
  const std::uint32_t before = ui::skinCanvas().pixel(5, 5);
  g_skinMessages.clear();
  ui::applySkinPicture("this is no picture");
  EXPECT_EQ(g_skinMessages, (Noted{{b, ui::kSkinChanged}, {b, ui::kSkinRepaint}}));
  EXPECT_EQ(ui::averageColour(), RGB(250, 240, 230));
  EXPECT_EQ(ui::textColour(), kBlack);
  EXPECT_TRUE(ui::skinPicture() == first);
  EXPECT_EQ(ui::skinCanvas().pixel(5, 5), before);

  // A display change rebuilds from the last picture that decoded when the screen widens...
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const int wider = ui::canvasScreenWidth() + 200;
  SendMessageA(b, WM_DISPLAYCHANGE, 32, MAKELPARAM(wider, height));
  EXPECT_EQ(ui::canvasScreenWidth(), wider);
  EXPECT_EQ(ui::skinCanvas().width, wider + 10);
  EXPECT_EQ(ui::skinCanvas().pixel(5, 5), before);
  // ...and leaves the canvas alone when it does not.
  SendMessageA(b, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  EXPECT_EQ(ui::canvasScreenWidth(), wider);
  EXPECT_EQ(ui::skinCanvas().width, wider + 10);
  DestroyWindow(b);
  EXPECT_TRUE(ui::skinnedWindows().empty());
}

}  // namespace
