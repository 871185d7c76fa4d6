// How a run begins, driven for real: in this process through MainWindow's creation
// handler, and end to end by starting Lyrivane.exe and answering its windows.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/lyrics_window_win.h"
#include "app/main_window_win.h"
#include "app/shell_state.h"
#include "app/styled_message_box_win.h"
#include "tests/gui/gui_support.h"
#include "ui/controls_win.h"

namespace {

using gui_testing::local;

// The help text as the user must see it: each run of spaces is twelve spaces.
const char kHelpUtf8[] =
    "欢迎使用本软件，当前版本为：V1.0\r\n"
    "命令            对应说明\r\n"
    "-lrc            直接载入歌词识别界面\r\n"
    "-h            载入帮助信息\r\n"
    "剩下的正在开发中。。。";

constexpr int kWaitMs = 15000;

class StartModeTest : public gui_testing::ShellTest {};

std::vector<HWND> ownBoxes() {
  std::vector<HWND> boxes;
  for (HWND w : gui_testing::topLevelWindows(GetCurrentProcessId(), "MyWindow")) {
    if (IsWindowVisible(w)) boxes.push_back(w);
  }
  return boxes;
}

TEST_F(StartModeTest, HelpShowsTheTextInABoxHidesMainWindowAndEndsWhenTheBoxCloses) {
  app::MainWindow main;
  ASSERT_NE(main.load({"-h"}), nullptr);
  EXPECT_FALSE(IsWindowVisible(main.hwnd()));
  EXPECT_TRUE(app::mainWindowHidden());
  EXPECT_EQ(app::lyricsOnlyMode, 0);

  const std::vector<HWND> boxes = ownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(ui::windowText(boxes[0]), local("信息"));
  EXPECT_EQ(ui::windowText(GetDlgItem(boxes[0], app::kStyledBoxText)), local(kHelpUtf8));

  gui_testing::pumpMessages(50);
  EXPECT_FALSE(gui_testing::takeQuitMessage()) << "ended while the help was still shown";
  SendMessageA(GetDlgItem(boxes[0], app::kStyledBoxButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(gui_testing::takeQuitMessage()) << "closing the help box must end the program";
}

TEST_F(StartModeTest, LyricsOnlyOpensTheCompactLyricsWindowAloneAndEndsWhenItCloses) {
  struct Seen {
    std::string caption;
    gui_testing::Box box{};
    bool mainVisible = true;
    HWND parent = nullptr;
  } seen;
  gui_testing::ModalCloser closer(app::kLyricsWindowClass, [&seen](HWND lyrics) {
    seen.caption = ui::windowText(lyrics);
    seen.box = gui_testing::boxOf(lyrics);
    seen.parent = GetParent(lyrics);
    seen.mainVisible = !app::mainWindowHidden();
  });
  app::MainWindow main;
  // Returns only once the lyrics window is gone.
  ASSERT_NE(main.load({"-lrc"}), nullptr);
  closer.join();
  ASSERT_TRUE(closer.found()) << "no lyrics window appeared";
  EXPECT_EQ(seen.caption, local("歌词智能判断歌曲名"));
  EXPECT_EQ(gui_testing::describe(seen.box), gui_testing::describe({50, 50, 490, 212}));
  EXPECT_EQ(seen.parent, nullptr);
  EXPECT_FALSE(seen.mainVisible);
  EXPECT_EQ(app::lyricsOnlyMode, 1);
  EXPECT_FALSE(IsWindowVisible(main.hwnd()));
  EXPECT_TRUE(gui_testing::takeQuitMessage()) << "closing the lyrics window must end the run";
}

TEST_F(StartModeTest, LyricsWindowOpenedBesideAVisibleMainWindowIsFullSizeAndEndsNothing) {
  app::MainWindow main;
  ASSERT_NE(main.load({}), nullptr);
  gui_testing::Box box{};
  gui_testing::ModalCloser closer(app::kLyricsWindowClass,
                                  [&box](HWND lyrics) { box = gui_testing::boxOf(lyrics); });
  app::LyricsWindow::openModal();
  closer.join();
  ASSERT_TRUE(closer.found());
  EXPECT_EQ(gui_testing::describe(box), gui_testing::describe({50, 50, 562, 226}));
  EXPECT_TRUE(IsWindowVisible(main.hwnd()));
  EXPECT_FALSE(gui_testing::takeQuitMessage()) << "the rename run must go on";
}

TEST_F(StartModeTest, OtherCommandLinesStartTheNormalRun) {
  const std::vector<std::vector<std::string>> lines = {{"-h", "-lrc"}, {"-LRC"}, {"-lrc", "x"},
                                                       {"song.mp3"},   {"/"},    {""}};
  for (const auto& line : lines) {
    SCOPED_TRACE(testing::Message() << "arguments: " << line.size() << " first " << line[0]);
    app::MainWindow main;
    ASSERT_NE(main.load(line), nullptr);
    EXPECT_TRUE(IsWindowVisible(main.hwnd()));
    EXPECT_TRUE(ownBoxes().empty());
    EXPECT_EQ(app::lyricsOnlyMode, 0);
    DestroyWindow(main.hwnd());
    EXPECT_TRUE(gui_testing::takeQuitMessage());
  }
}

// --- the program itself, started as a child process -----------------------------------

HWND childWindow(DWORD pid, const char* className, bool visible) {
  for (HWND w : gui_testing::topLevelWindows(pid, className)) {
    if ((IsWindowVisible(w) != FALSE) == visible) return w;
  }
  return nullptr;
}

int visibleWindowCount(DWORD pid) {
  int n = 0;
  for (HWND w : gui_testing::topLevelWindows(pid, nullptr)) n += IsWindowVisible(w) ? 1 : 0;
  return n;
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesA(gui_testing::programPath().c_str()) == INVALID_FILE_ATTRIBUTES) {
      FAIL() << gui_testing::programPath() << " is missing";
    }
  }
};

TEST_F(ProgramTest, HelpRunShowsOnlyTheHelpBoxAndEndsWhenItIsClosed) {
  gui_testing::ChildProcess program(gui_testing::programPath(), "-h");
  ASSERT_TRUE(program.started());
  HWND box = gui_testing::waitForWindow(
      [&] { return childWindow(program.pid(), "MyWindow", true); }, kWaitMs);
  ASSERT_NE(box, nullptr) << "no help box";
  EXPECT_EQ(ui::windowText(box), local("信息"));
  EXPECT_EQ(ui::windowText(GetDlgItem(box, app::kStyledBoxText)), local(kHelpUtf8));
  EXPECT_NE(childWindow(program.pid(), app::kMainWindowClass, false), nullptr)
      << "MainWindow should exist, hidden";
  EXPECT_EQ(childWindow(program.pid(), app::kMainWindowClass, true), nullptr);
  EXPECT_EQ(visibleWindowCount(program.pid()), 1);

  EXPECT_FALSE(program.waitForExit(300)) << "ended before the box was closed";
  PostMessageA(GetDlgItem(box, app::kStyledBoxButton), BM_CLICK, 0, 0);
  ASSERT_TRUE(program.waitForExit(kWaitMs)) << "still running after the help box closed";
  EXPECT_EQ(program.exitCode(), 0u);
}

TEST_F(ProgramTest, LyricsOnlyRunShowsTheCompactLyricsWindowAndEndsWhenItIsClosed) {
  // The last part after "/" counts, and an empty part after a final "/" does not.
  for (const char* arguments : {"-lrc", "x/-lrc/"}) {
    SCOPED_TRACE(arguments);
    gui_testing::ChildProcess program(gui_testing::programPath(), arguments);
    ASSERT_TRUE(program.started());
    HWND lyrics = gui_testing::waitForWindow(
        [&] { return childWindow(program.pid(), app::kLyricsWindowClass, true); }, kWaitMs);
    ASSERT_NE(lyrics, nullptr) << "no lyrics window";
    EXPECT_EQ(ui::windowText(lyrics), local("歌词智能判断歌曲名"));
    EXPECT_EQ(gui_testing::describe(gui_testing::boxOf(lyrics)),
              gui_testing::describe({50, 50, 490, 212}));
    EXPECT_EQ(childWindow(program.pid(), app::kMainWindowClass, true), nullptr);
    EXPECT_EQ(visibleWindowCount(program.pid()), 1);

    EXPECT_FALSE(program.waitForExit(200));
    PostMessageA(lyrics, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.waitForExit(kWaitMs)) << "still running after the lyrics window closed";
    EXPECT_EQ(program.exitCode(), 0u);
  }
}

TEST_F(ProgramTest, NormalRunShowsMainWindowAndEndsWhenItIsClosed) {
  gui_testing::ChildProcess program(gui_testing::programPath(), "-h -lrc");
  ASSERT_TRUE(program.started());
  HWND main = gui_testing::waitForWindow(
      [&] { return childWindow(program.pid(), app::kMainWindowClass, true); }, kWaitMs);
  ASSERT_NE(main, nullptr) << "\"-h\" \"-lrc\" joined match neither: the normal run";
  EXPECT_EQ(ui::windowText(main), "Lyrivane");
  EXPECT_EQ(visibleWindowCount(program.pid()), 1);
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.waitForExit(kWaitMs));
  EXPECT_EQ(program.exitCode(), 0u);
}

}  // namespace
