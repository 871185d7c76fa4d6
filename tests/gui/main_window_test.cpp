// MainWindow as a user gets it: its place and size, every control of its layout, the
// list's columns, the fonts, the MyWindow class and the drop target on the song list.
#include "app/main_window_win.h"

#include <commctrl.h>
#include <ole2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "app/shell_state.h"
#include "app/startup_win.h"
#include "tests/gui/gui_support.h"
#include "ui/controls_win.h"
#include "ui/fonts_win.h"
#include "ui/skin_canvas_win.h"

namespace {

using gui_testing::boxOf;
using gui_testing::describe;
using gui_testing::local;

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    app::releaseShellState();
    gui_testing::closeThreadWindows();
  }
  void TearDown() override { gui_testing::closeThreadWindows(); }
};

TEST_F(MainWindowTest, OpensVisibleAt50x50With331x336AndItsCaption) {
  app::MainWindow main;
  HWND window = main.load({});
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(ui::windowText(window), "Lyrivane");
  EXPECT_EQ(describe(boxOf(window)), describe({50, 50, 331, 336}));
  EXPECT_EQ(app::mainWindow(), &main);
  EXPECT_FALSE(app::mainWindowHidden());
  EXPECT_EQ(app::lyricsOnlyMode, 0);
  EXPECT_FALSE(gui_testing::takeQuitMessage()) << "a normal start must not end the program";
}

TEST_F(MainWindowTest, EveryControlHasItsClassPlaceSizeCaptionAndVisibility) {
  struct Expected {
    int id;
    const char* className;
    const char* captionUtf8;
    gui_testing::Box box;
    bool visible;
  };
  const Expected controls[] = {
      {app::kButton3Add, "Button", "添加", {146, 37, 40, 21}, true},
      {app::kButton1Remove, "Button", "删除", {195, 37, 40, 21}, true},
      {app::kButton2Start, "Button", "开始修改", {243, 36, 72, 21}, true},
      {app::kPictureButton1, "Button", "", {199, 0, 20, 20}, true},
      {app::kSongList, "SysListView32", "", {9, 63, 312, 264}, true},
      {app::kLabel1Busy, "Static", "进程正在处理中，请稍后。。", {11, 147, 309, 72}, false},
  };
  app::MainWindow main;
  ASSERT_NE(main.load({}), nullptr);
  for (const Expected& c : controls) {
    SCOPED_TRACE(testing::Message() << "control " << c.id);
    HWND control = main.control(c.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), main.hwnd());
    EXPECT_EQ(ui::windowClassName(control), c.className);
    EXPECT_EQ(describe(boxOf(control)), describe(c.box));
    EXPECT_EQ(ui::windowText(control), local(c.captionUtf8));
    EXPECT_EQ(IsWindowVisible(control) != FALSE, c.visible);
  }
  // Nothing else lives on the window.
  int children = 0;
  for (HWND c = GetWindow(main.hwnd(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    ++children;
  }
  EXPECT_EQ(children, 6);
}

TEST_F(MainWindowTest, ButtonsArePushButtonsAndThePictureButtonShowsABitmap) {
  app::MainWindow main;
  ASSERT_NE(main.load({}), nullptr);
  for (int id : {app::kButton3Add, app::kButton1Remove, app::kButton2Start}) {
    const LONG_PTR style = GetWindowLongPtrA(main.control(id), GWL_STYLE);
    EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << id;
  }
  HWND picture = main.control(app::kPictureButton1);
  EXPECT_NE(GetWindowLongPtrA(picture, GWL_STYLE) & BS_BITMAP, 0);
  const auto face = reinterpret_cast<HBITMAP>(SendMessageA(picture, BM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(face, nullptr);
  BITMAP described{};
  ASSERT_NE(GetObjectA(face, sizeof described, &described), 0);
  EXPECT_LE(described.bmWidth, 20);
  EXPECT_LE(described.bmHeight, 20);
}

TEST_F(MainWindowTest, SongListIsAReportWithThreeColumnsOf100Pixels) {
  app::MainWindow main;
  ASSERT_NE(main.load({}), nullptr);
  HWND list = main.songList();
  EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);
  const char* headers[] = {"歌曲名", "歌曲路径", "歌曲信息"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ui::listColumnHeader(list, i), local(headers[i])) << i;
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0), 100) << i;
  }
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(MainWindowTest, FontsAreYaHeiWhenInstalledAndSimSunOtherwise) {
  // The test bench maps 微软雅黑 to an installed CJK font, so it is the interface font.
  ASSERT_TRUE(ui::fontFamilyExists(local("微软雅黑")));
  EXPECT_EQ(app::interfaceFontFamily(), local("微软雅黑"));
  EXPECT_EQ(ui::fontFaceName(app::interfaceFont()), local("微软雅黑"));
  // The choice itself: a missing family falls back, an installed one is kept.
  EXPECT_FALSE(ui::fontFamilyExists("Lyrivane No Such Family"));
  EXPECT_EQ(ui::chooseFontFamily("Lyrivane No Such Family", local("宋体")), local("宋体"));
  EXPECT_EQ(ui::chooseFontFamily(local("微软雅黑"), local("宋体")), local("微软雅黑"));
  EXPECT_FALSE(ui::fontFamilyExists(std::string(40, 'x'))) << "longer than a face name";

  app::MainWindow main;
  ASSERT_NE(main.load({}), nullptr);
  const auto fontOf = [&](int id) {
    return reinterpret_cast<HFONT>(SendMessageA(main.control(id), WM_GETFONT, 0, 0));
  };
  EXPECT_EQ(ui::fontFaceName(fontOf(app::kLabel1Busy)), local("微软雅黑"));
  EXPECT_EQ(fontOf(app::kButton2Start), app::interfaceFont());
}

TEST_F(MainWindowTest, MyWindowClassIsRegisteredAsDescribed) {
  WNDCLASSEXA c{};
  c.cbSize = sizeof c;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  ASSERT_TRUE(GetClassInfoExA(instance, app::kMyWindowClass, &c));
  EXPECT_STREQ(app::kMyWindowClass, "MyWindow");
  EXPECT_EQ(c.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
  EXPECT_EQ(c.hbrBackground, reinterpret_cast<HBRUSH>(16));
  EXPECT_EQ(c.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  HICON programIcon = LoadIconA(instance, MAKEINTRESOURCEA(129));
  ASSERT_NE(programIcon, nullptr) << "icon resource 129 is missing";
  EXPECT_EQ(c.hIcon, programIcon);
}

TEST_F(MainWindowTest, SongListIsRegisteredAsADropTarget) {
  app::MainWindow main;
  ASSERT_NE(main.load({}), nullptr);
  // Revoking succeeds only for a window that was registered.
  EXPECT_EQ(RevokeDragDrop(main.songList()), S_OK);
  EXPECT_EQ(RevokeDragDrop(main.songList()), DRAGDROP_E_NOTREGISTERED);
  EXPECT_EQ(RevokeDragDrop(main.hwnd()), DRAGDROP_E_NOTREGISTERED);
}

TEST_F(MainWindowTest, ClosingItEndsTheProgram) {
  app::MainWindow main;
  ASSERT_NE(main.load({}), nullptr);
  gui_testing::pumpMessages(20);
  EXPECT_FALSE(gui_testing::takeQuitMessage());
  SendMessageA(main.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(main.hwnd(), nullptr);
  EXPECT_EQ(app::mainWindow(), nullptr);
  EXPECT_TRUE(gui_testing::takeQuitMessage());
}

TEST_F(MainWindowTest, ScreenshotShowsThePaintedWindow) {
  app::MainWindow main;
  HWND window = main.load({});
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  gui_testing::pumpMessages(400);

  const std::string shot = gui_testing::keepScreenshot(window, "main_window.png");
  ASSERT_NE(shot, "");
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  ASSERT_TRUE(GetFileAttributesExA(shot.c_str(), GetFileExInfoStandard, &attributes));
  EXPECT_GT(attributes.nFileSizeLow, 1000u);

  // What the screen shows is the window: the list's white inside, the skin's canvas above it.
  RECT list = ui::rectInParent(main.songList());
  EXPECT_EQ(gui_testing::screenPixel(window, (list.left + list.right) / 2, list.bottom - 40),
            GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(gui_testing::screenPixel(window, 40, 50), ui::skinCanvas().colour(40, 50));
}

}  // namespace
