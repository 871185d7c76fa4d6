// StyledMessageBox: its look and place, that it returns at once, and that several stand
// on screen together, each closed by its own button.
#include "app/styled_message_box_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "app/startup_win.h"
#include "tests/gui/gui_support.h"
#include "ui/controls_win.h"

namespace {

using gui_testing::local;

class StyledMessageBoxTest : public testing::Test {
 protected:
  void SetUp() override { gui_testing::closeThreadWindows(); }
  void TearDown() override { gui_testing::closeThreadWindows(); }
};

TEST_F(StyledMessageBoxTest, IsAMyWindowWithTitleTextIconAndOneButtonCentredOnTheScreen) {
  const std::string text = local("不是有效的音频文件");
  HWND box = app::showStyledMessageBox(text, local("信息"));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(IsWindowVisible(box));
  EXPECT_EQ(ui::windowClassName(box), "MyWindow");
  EXPECT_EQ(ui::windowText(box), local("信息"));
  EXPECT_EQ(GetParent(box), nullptr);

  const gui_testing::Box place = gui_testing::boxOf(box);
  EXPECT_EQ(place.width, 405);
  EXPECT_EQ(place.height, 175);
  EXPECT_EQ(place.x, (GetSystemMetrics(SM_CXSCREEN) - 405) / 2);
  EXPECT_EQ(place.y, (GetSystemMetrics(SM_CYSCREEN) - 175) / 2);

  HWND message = GetDlgItem(box, app::kStyledBoxText);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(ui::windowText(message), text);
  HWND button = GetDlgItem(box, app::kStyledBoxButton);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(ui::windowClassName(button), "Button");
  EXPECT_EQ(ui::windowText(button), local("确定"));
  HWND icon = GetDlgItem(box, app::kStyledBoxIcon);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)),
            LoadIconA(nullptr, IDI_ASTERISK));

  int buttons = 0;
  for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (ui::windowClassName(c) == "Button") ++buttons;
  }
  EXPECT_EQ(buttons, 1);

  // Every control lies inside the box's client area.
  RECT client{};
  GetClientRect(box, &client);
  for (HWND c : {message, button, icon}) {
    const RECT r = ui::rectInParent(c);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
        << ui::windowText(c);
  }
}

TEST_F(StyledMessageBoxTest, ReturnsAtOnceWithTheBoxOnScreenAndStaysUntilItsButton) {
  const auto start = std::chrono::steady_clock::now();
  HWND box = app::showStyledMessageBox(local("所有歌曲已处理完成"), local("信息"));
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_NE(box, nullptr);
  EXPECT_LT(took, std::chrono::seconds(2));
  // Visible before this thread has processed a single message.
  EXPECT_TRUE(IsWindowVisible(box));

  gui_testing::pumpMessages(300);  // the fade-in ends; the box stays
  EXPECT_TRUE(IsWindow(box));
  EXPECT_TRUE(IsWindowVisible(box));
  EXPECT_EQ(GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_LAYERED, 0) << "fade-in did not finish";

  SendMessageA(GetDlgItem(box, app::kStyledBoxButton), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_FALSE(gui_testing::takeQuitMessage()) << "a closed box must not end the program";
}

TEST_F(StyledMessageBoxTest, SeveralBoxesStandTogetherAndEachButtonClosesOnlyItsBox) {
  const char* texts[] = {"该歌曲不是有效的文件", "不是有效的音频文件", "所有歌曲已处理完成"};
  HWND boxes[3] = {};
  int closed[3] = {};
  for (int i = 0; i < 3; ++i) {
    app::StyledMessageBoxOptions options;
    options.onClosed = [&closed, i] { ++closed[i]; };
    boxes[i] = app::showStyledMessageBox(local(texts[i]), local("信息"), options);
    ASSERT_NE(boxes[i], nullptr);
  }
  gui_testing::pumpMessages(50);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(IsWindowVisible(boxes[i])) << i;
    EXPECT_EQ(ui::windowText(GetDlgItem(boxes[i], app::kStyledBoxText)), local(texts[i]));
  }
  EXPECT_NE(boxes[0], boxes[1]);
  EXPECT_NE(boxes[1], boxes[2]);

  SendMessageA(GetDlgItem(boxes[1], app::kStyledBoxButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindow(boxes[0]));
  EXPECT_FALSE(IsWindow(boxes[1]));
  EXPECT_TRUE(IsWindow(boxes[2]));
  EXPECT_EQ(closed[0] + closed[1] * 10 + closed[2] * 100, 10);

  // The caption's close box ends a box the same way as its button.
  SendMessageA(boxes[0], WM_CLOSE, 0, 0);
  SendMessageA(GetDlgItem(boxes[2], app::kStyledBoxButton), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(boxes[0]));
  EXPECT_FALSE(IsWindow(boxes[2]));
  EXPECT_EQ(closed[0] + closed[1] * 10 + closed[2] * 100, 111);
}

TEST_F(StyledMessageBoxTest, CallerGivenSizeAndOwnerAreHonoured) {
  RECT ownerRect{100, 80, 700, 580};
  HWND owner = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, ownerRect.left,
                               ownerRect.top, 600, 500, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  app::StyledMessageBoxOptions options;
  options.owner = owner;
  options.width = 300;
  options.height = 150;
  HWND box = app::showStyledMessageBox("x", "y", options);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(gui_testing::describe(gui_testing::boxOf(box)),
            gui_testing::describe({100 + (600 - 300) / 2, 80 + (500 - 150) / 2, 300, 150}));
  DestroyWindow(owner);
}

}  // namespace
