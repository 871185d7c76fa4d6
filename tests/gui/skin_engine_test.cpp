// The skin engine on the program's windows: the main window's size, frame, caption buttons
// and background, labels over the canvas, the styled box, and a new picture chosen with the
// picture button re-skinning every open window. Each flow keeps a screenshot.
#include "ui/skin_engine_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/main_window_win.h"
#include "app/shell_state.h"
#include "app/skin_picture_win.h"
#include "app/styled_message_box_win.h"
#include "tests/gui/gui_support.h"
#include "tests/gui/skin_test_support.h"
#include "ui/controls_win.h"
#include "ui/skin_canvas_win.h"

namespace {

using gui_testing::argb;
using gui_testing::local;
using gui_testing::screenPixel;

class SkinEngineTest : public testing::Test {
 protected:
  void SetUp() override {
    app::releaseShellState();
    gui_testing::closeThreadWindows();
  }
  void TearDown() override {
    gui_testing::closeThreadWindows();
    ui::applySkinPicture(app::builtInSkinPicture());
  }
};

COLORREF canvasAt(int x, int y) { return ui::skinCanvas().colour(x, y); }

std::string keepCheckedScreenshot(HWND window, const char* name) {
  const std::string shot = gui_testing::keepScreenshot(window, name);
  EXPECT_NE(shot, "") << name;
  return shot;
}

void click(HWND window, const RECT& r) {
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(window, WM_MOUSEMOVE, 0, at);
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(window, WM_LBUTTONUP, 0, at);
}

LRESULT hitTest(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  return SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
}

TEST_F(SkinEngineTest, MainWindowIs331x336WithItsWholeListOverTheBuiltInPicture) {
  app::MainWindow main;
  HWND window = main.load({});
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  gui_testing::pumpMessages(300);

  EXPECT_TRUE(ui::isSkinned(window));
  EXPECT_EQ(ui::skinnedWindows(), std::vector<HWND>{window});
  EXPECT_EQ(ui::skinPicture(), app::builtInSkinPicture());
  EXPECT_GT(ui::skinPicture().size(), 30000u);
  EXPECT_EQ(ui::textColour(), RGB(0, 0, 0)) << "the built-in picture is a light one";

  EXPECT_EQ(gui_testing::describe(gui_testing::boxOf(window)),
            gui_testing::describe({50, 50, 331, 336}));
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 331);
  EXPECT_EQ(client.bottom, 336);
  // The list's last rows are on screen: its empty white inside shows just above its border.
  const RECT list = ui::rectInParent(main.songList());
  EXPECT_EQ(screenPixel(window, list.left + 20, list.bottom - 4), GetSysColor(COLOR_WINDOW));
  // Around the controls the window shows its part of the canvas.
  for (POINT p : {POINT{60, 45}, POINT{4, 200}, POINT{150, 331}, POINT{120, 24}}) {
    EXPECT_EQ(screenPixel(window, p.x, p.y), canvasAt(p.x, p.y)) << p.x << "," << p.y;
  }
}

TEST_F(SkinEngineTest, CaptionDragsAndItsButtonsLightUpMinimiseAndClose) {
  app::MainWindow main;
  HWND window = main.load({});
  ASSERT_NE(window, nullptr);
  gui_testing::pumpMessages(100);
  const RECT minimise = ui::skinButtonRect(331, ui::SkinButton::minimise);
  const RECT close = ui::skinButtonRect(331, ui::SkinButton::close);
  EXPECT_LE(RECT(ui::rectInParent(main.control(app::kPictureButton1))).right, minimise.left);

  // The system's caption is gone; its menu and minimise box stay for Alt+Space, Alt+F4 and
  // the taskbar.
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0);
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX), WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_NE(GetSystemMenu(window, FALSE), nullptr);
  EXPECT_EQ(hitTest(window, 100, 10), HTCAPTION);
  EXPECT_EQ(hitTest(window, close.left + 3, close.top + 3), HTCLIENT);
  EXPECT_EQ(hitTest(window, 100, 200), HTCLIENT);

  SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(close.left + 5, close.top + 5));
  gui_testing::pumpMessages(100);
  EXPECT_EQ(screenPixel(window, close.left + 1, close.top + 1), RGB(232, 17, 35));
  SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(100, 200));
  gui_testing::pumpMessages(100);
  EXPECT_EQ(screenPixel(window, close.left + 1, close.top + 1),
            canvasAt(close.left + 1, close.top + 1));

  click(window, minimise);
  EXPECT_TRUE(IsIconic(window));
  ShowWindow(window, SW_RESTORE);
  EXPECT_FALSE(IsIconic(window));

  click(window, close);
  EXPECT_EQ(main.hwnd(), nullptr);
  EXPECT_TRUE(ui::skinnedWindows().empty());
  EXPECT_TRUE(gui_testing::takeQuitMessage()) << "closing the main window ends the program";
}

LRESULT CALLBACK plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(SkinEngineTest, LabelsAndGroupBoxesShowTheCanvasAndButtonsKeepTheirFace) {
  // Every pixel different, so a misplaced copy shows.
  ui::applySkinPicture(gui_testing::bmpPicture(
      400, 300, [](int x, int y) { return argb(255, x % 256, y % 256, 200 - x % 50); }));
  HWND window =
      gui_testing::plainTopLevelWindow("SkinControlsWindow", plainProcedure, 400, 100, 300, 220);
  ASSERT_NE(window, nullptr);
  const ui::ControlDefinition controls[] = {
      {1, "Static", "label", SS_LEFT, 20, 40, 150, 30, true},
      {2, "Button", "group", BS_GROUPBOX, 20, 80, 200, 90, true},
      {3, "Button", "push", BS_PUSHBUTTON, 230, 40, 60, 40, true},
  };
  for (const ui::ControlDefinition& c : controls)
    ASSERT_NE(ui::createControl(window, c, nullptr), nullptr);
  ASSERT_TRUE(
      ui::attachSkin(window, {[](HDC dc, const RECT&) { TextOutA(dc, 180, 190, "mark", 4); }}));
  gui_testing::pumpMessages(300);

  for (POINT p : {POINT{150, 60}, POINT{120, 130}, POINT{200, 160}}) {
    EXPECT_EQ(screenPixel(window, p.x, p.y), canvasAt(p.x, p.y)) << p.x << "," << p.y;
  }
  EXPECT_NE(screenPixel(window, 240, 50), canvasAt(240, 50)) << "a push button keeps its face";
  keepCheckedScreenshot(window, "skinned_controls.png");
}

TEST_F(SkinEngineTest, StyledMessageBoxIsDrawnOverTheCanvas) {
  HWND box = app::showStyledMessageBox(local("所有歌曲已处理完成"), local("信息"));
  ASSERT_NE(box, nullptr);
  gui_testing::pumpMessages(400);
  EXPECT_TRUE(ui::isSkinned(box));
  EXPECT_EQ(gui_testing::boxOf(box).height, 175);
  EXPECT_EQ(screenPixel(box, 10, 160), canvasAt(10, 160));
  EXPECT_EQ(screenPixel(box, 200, 24), canvasAt(200, 24));
  keepCheckedScreenshot(box, "message_box.png");
}

TEST_F(SkinEngineTest, PictureButtonReskinsEveryOpenWindowAndCancelChangesNothing) {
  app::MainWindow main;
  HWND window = main.load({});
  ASSERT_NE(window, nullptr);
  HWND box = app::showStyledMessageBox(local("信息"), local("信息"));
  ASSERT_NE(box, nullptr);
  gui_testing::pumpMessages(300);
  // A dark evening picture: white texts.
  const auto evening = [](int x, int y) {
    return argb(255, 20 + x / 16, 30 + y / 10, 70 + x / 8 - y / 12);
  };
  const std::string path = gui_testing::writeTempFile("lyrivane_evening.bmp",
                                                      gui_testing::bmpPicture(800, 500, evening));

  const auto choose = [&](bool confirm) {
    gui_testing::DialogScript script([&]() -> std::string {
      HWND dialog = gui_testing::waitForDialog(gui_testing::isOpenFileDialog);
      if (dialog == nullptr) return "no open dialog";
      if (!confirm) return gui_testing::answerDialog(dialog, IDCANCEL) ? "" : "did not cancel";
      return gui_testing::typeIntoOpenDialog(dialog, path) ? "" : "could not type the path";
    });
    SendMessageA(main.control(app::kPictureButton1), BM_CLICK, 0, 0);
    EXPECT_EQ(script.join(), "");
    gui_testing::pumpMessages(200);
  };

  const COLORREF before = screenPixel(window, 60, 45);
  choose(false);
  EXPECT_EQ(screenPixel(window, 60, 45), before);

  choose(true);
  EXPECT_EQ(ui::textColour(), RGB(255, 255, 255));
  // Both windows show the new picture's own pixels, the box's as far from the fades.
  const auto colourOf = [](std::uint32_t p) {
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  };
  EXPECT_EQ(screenPixel(window, 60, 45), colourOf(evening(60, 45)));
  EXPECT_EQ(screenPixel(box, 10, 160), colourOf(evening(10, 160)));
  keepCheckedScreenshot(window, "second_picture.png");
  DeleteFileA(path.c_str());
}

}  // namespace
