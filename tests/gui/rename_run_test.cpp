// The rename run of "开始修改", driven for real: songs with tags in a temporary folder,
// dropped on the list, renamed in place one row at a time with the pause between songs,
// the question for a song without a title answered from a helper thread, and the boxes
// the user sees. After every test the folder holds the same bytes it held before.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/lyrics_window_win.h"
#include "app/main_window_win.h"
#include "app/shell_state.h"
#include "app/song_list_win.h"
#include "app/styled_message_box_win.h"
#include "tests/gui/gui_support.h"
#include "tests/gui/song_files.h"
#include "tests/support/temp_dir.h"
#include "ui/controls_win.h"
#include "ui/skin_canvas_win.h"

namespace {

using gui_testing::local;
using Clock = std::chrono::steady_clock;

// The texts of the StyledMessageBoxes on screen, in the order they were opened, closing them.
std::vector<std::string> takeStyledBoxes() {
  std::vector<std::string> texts;
  const std::vector<HWND> boxes = gui_testing::topLevelWindows(GetCurrentProcessId(), "MyWindow");
  // Top-level windows are listed from the top of the z-order: the newest first.
  for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
    if (!IsWindowVisible(*it)) continue;
    texts.push_back(ui::windowText(GetDlgItem(*it, app::kStyledBoxText)));
    DestroyWindow(*it);
  }
  return texts;
}

bool isQuestion(HWND dialog) { return !gui_testing::isOpenFileDialog(dialog); }

class RenameRunTest : public testing::Test {
 protected:
  void SetUp() override {
    app::releaseShellState();
    gui_testing::closeThreadWindows();
    ASSERT_NE(main_.load({}), nullptr);
  }
  void TearDown() override {
    gui_testing::closeThreadWindows();
    EXPECT_FALSE(gui_testing::takeQuitMessage()) << "a dialog script had to give up";
    EXPECT_EQ(gui_testing::lostOrChanged(before_, gui_testing::filesIn(dir_.path())), "")
        << "a song was lost or changed";
    app::releaseShellState();
  }

  std::string song(const std::string& name, const std::string& bytes) {
    const std::string path = dir_.write(name, bytes);
    before_ = gui_testing::filesIn(dir_.path());
    return path;
  }
  void drop(const std::vector<std::string>& paths) {
    ASSERT_EQ(gui_testing::dropFiles(main_.songList(), paths), static_cast<DWORD>(DROPEFFECT_COPY));
    ASSERT_EQ(app::songCount(main_.songList()), static_cast<int>(paths.size()));
  }
  // Clicks "开始修改" and returns when the run is over, with its duration in milliseconds.
  long long startRun() {
    const Clock::time_point start = Clock::now();
    SendMessageA(main_.control(app::kButton2Start), BM_CLICK, 0, 0);
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  }
  std::string file(const std::string& name) const {
    return testing_support::TempDir::read(dir_.path() + name);
  }
  bool exists(const std::string& name) const {
    return GetFileAttributesA((dir_.path() + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  testing_support::TempDir dir_;
  app::MainWindow main_;
  gui_testing::FolderFiles before_;
};

TEST_F(RenameRunTest, EmptyListSaysSoAndDoesNothingElse) {
  const long long ms = startRun();
  EXPECT_LT(ms, 500) << "no song, no pause";
  EXPECT_EQ(takeStyledBoxes(), std::vector<std::string>{local("没有需要处理的文件或者已处理完成")});
  EXPECT_FALSE(IsWindowVisible(main_.busyLabel()));
  EXPECT_TRUE(IsWindowEnabled(main_.control(app::kButton2Start)));
}

TEST_F(RenameRunTest, RenamesEachSongInPlaceRowByRowWithAPauseAfterEach) {
  const std::string a = song("01 Track.MP3", gui_testing::mp3Song(u"青花瓷", u"周杰伦"));
  const std::string b = song("b.WMA", gui_testing::wmaSong(u"Hello", u"Adele"));
  const std::string c = song("c.mp3", gui_testing::mp3Song(u"Untitled Artist", u"", 2));
  drop({a, b, c});

  // Watched from another thread while the run works: the busy label, the disabled
  // buttons, the rows going one by one, and a window that still answers messages.
  std::atomic<bool> running{true};
  struct Seen {
    bool busyShown = false, buttonsDisabled = false, answered = false;
    COLORREF labelPixel = CLR_INVALID;
    std::vector<int> counts;
  } seen;
  HWND window = main_.hwnd(), list = main_.songList(), busy = main_.busyLabel();
  HWND add = main_.control(app::kButton3Add), remove = main_.control(app::kButton1Remove),
       start = main_.control(app::kButton2Start);
  std::thread watcher([&] {
    Sleep(150);
    seen.busyShown = IsWindowVisible(busy) != FALSE;
    seen.buttonsDisabled =
        !IsWindowEnabled(add) && !IsWindowEnabled(remove) && !IsWindowEnabled(start);
    // What the user sees mid-run, for people to look at.
    gui_testing::keepScreenshot(window, "rename_run.png");
    // The label is drawn over the list, not hidden behind it.
    const RECT label = ui::rectInParent(busy);
    seen.labelPixel = gui_testing::screenPixel(window, label.left + 2, label.top + 2);
    DWORD_PTR result = 0;
    seen.answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 250, &result) != 0;
    while (running) {
      const int n = static_cast<int>(
          SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 100, &result) ? result
                                                                                       : -1);
      if (n >= 0 && (seen.counts.empty() || seen.counts.back() != n)) seen.counts.push_back(n);
      Sleep(40);
    }
  });
  const long long ms = startRun();
  running = false;
  watcher.join();

  EXPECT_GE(ms, 3 * 500) << "each song is followed by a pause of 500 ms";
  EXPECT_TRUE(seen.busyShown);
  // The label shows the skin's canvas behind its text.
  const RECT label = ui::rectInParent(main_.busyLabel());
  EXPECT_EQ(seen.labelPixel, ui::skinCanvas().colour(label.left + 2, label.top + 2))
      << "the list's white shows instead";
  EXPECT_TRUE(seen.buttonsDisabled);
  EXPECT_TRUE(seen.answered) << "the window must answer during the pauses";
  EXPECT_EQ(seen.counts, (std::vector<int>{3, 2, 1}))
      << "rows leave one at a time, the top one after its song";

  // Title(Artist).suffix in the song's own folder, the suffix in lower case.
  const gui_testing::FolderFiles after = gui_testing::filesIn(dir_.path());
  gui_testing::FolderFiles expected = {
      {local("青花瓷(周杰伦).mp3"), before_.at("01 Track.MP3")},
      {"Hello(Adele).wma", before_.at("b.WMA")},
      {"Untitled Artist().mp3", before_.at("c.mp3")},
  };
  EXPECT_EQ(after, expected);

  EXPECT_EQ(app::songCount(main_.songList()), 0);
  EXPECT_EQ(takeStyledBoxes(), std::vector<std::string>{local("所有歌曲已处理完成")});
  EXPECT_FALSE(IsWindowVisible(main_.busyLabel()));
  for (int id : {app::kButton3Add, app::kButton1Remove, app::kButton2Start}) {
    EXPECT_TRUE(IsWindowEnabled(main_.control(id))) << id;
  }
  EXPECT_EQ(app::currentSongPath, c) << "the last song visited";
  EXPECT_EQ(app::songFolder, dir_.path());
  EXPECT_TRUE(gui_testing::ownDialogs().empty());
}

TEST_F(RenameRunTest, SongsThatCannotTakeTheirNameKeepItAndTheFinalMessageNamesThem) {
  const std::string first = song("first.mp3", gui_testing::mp3Song(u"Same", u"Band", 1));
  const std::string second = song("second.mp3", gui_testing::mp3Song(u"Same", u"Band", 2));
  const std::string asks = song("asks.mp3", gui_testing::mp3Song(u"Who?", u"Band", 3));
  const std::string up = song("up.mp3", gui_testing::mp3Song(u"..\\..\\escaped", u"A", 4));
  const std::string noise = song("noise.wma", std::string(300, 'n'));
  drop({first, second, asks, up, noise});

  startRun();
  const gui_testing::FolderFiles after = gui_testing::filesIn(dir_.path());
  gui_testing::FolderFiles expected = before_;
  // The first of two songs with the same title and artist takes the name; nothing is
  // replaced, so the second keeps its own.
  expected["Same(Band).mp3"] = expected.at("first.mp3");
  expected.erase("first.mp3");
  EXPECT_EQ(after, expected);
  EXPECT_FALSE(exists("..\\..\\escaped(A).mp3"));
  EXPECT_EQ(app::songCount(main_.songList()), 0) << "every visited row goes";

  // The box, once faded in, for people to look at.
  gui_testing::pumpMessages(400);
  const std::vector<HWND> boxes = gui_testing::topLevelWindows(GetCurrentProcessId(), "MyWindow");
  ASSERT_EQ(boxes.size(), 1u);
  gui_testing::keepScreenshot(boxes[0], "failed_songs.png");
  // A name taken and a character Windows does not allow in names (the OS refuses it), and a
  // title that is a path (refused before the move); the WMA file the reader rejects was no
  // rename and passes without a word.
  EXPECT_EQ(takeStyledBoxes(),
            std::vector<std::string>{local("所有歌曲已处理完成\r\n有 3 首歌曲未能改名：\r\n"
                                           "second.mp3：已有同名文件\r\n"
                                           "asks.mp3：名称含有不允许的字符\r\n"
                                           "up.mp3：名称含有不允许的字符")});
  EXPECT_TRUE(gui_testing::ownDialogs().empty());
}

TEST_F(RenameRunTest, ARowThatNamesNoSongIsReportedAndTheRunGoesOn) {
  const std::string notes = song("notes.txt", "text");
  const std::string tagged = song("t.mp3", gui_testing::mp3Song(u"T", u"A"));
  // Intake never adds such a row; the run still guards against one.
  ASSERT_TRUE(app::appendSong(main_.songList(), {"notes", notes, ""}));
  ASSERT_TRUE(app::appendSong(main_.songList(), {"t", tagged, ""}));
  startRun();
  EXPECT_TRUE(exists("T(A).mp3"));
  EXPECT_EQ(file("notes.txt"), "text");
  EXPECT_EQ(takeStyledBoxes(),
            (std::vector<std::string>{local("该歌曲不是有效的文件"), local("所有歌曲已处理完成")}));
  EXPECT_EQ(app::songCount(main_.songList()), 0);
}

TEST_F(RenameRunTest, SongWithoutTitleAsksAndCancelLeavesItAsItIs) {
  const std::string bare = song("bare.mp3", gui_testing::mp3Song(u"", u"Only Artist", 1));
  const std::string tagged = song("t.mp3", gui_testing::mp3Song(u"T", u"A", 2));
  const std::string missing = dir_.path() + "gone.mp3";  // an unreadable song asks too
  drop({bare, missing, tagged});

  struct Question {
    std::string text, caption;
    bool hasOk = false, hasCancel = false;
    int rows = -1;
  };
  std::vector<Question> questions;
  HWND list = main_.songList();
  gui_testing::DialogScript script([&]() -> std::string {
    for (int i = 0; i < 2; ++i) {
      HWND box = gui_testing::waitForDialog(isQuestion);
      if (box == nullptr) return "question " + std::to_string(i) + " did not come";
      Question q;
      q.text = gui_testing::dialogStatics(box);
      q.caption = ui::windowText(box);
      q.hasOk = IsWindowVisible(GetDlgItem(box, IDOK)) != FALSE;
      q.hasCancel = IsWindowVisible(GetDlgItem(box, IDCANCEL)) != FALSE;
      q.rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
      questions.push_back(q);
      if (!gui_testing::answerDialog(box, IDCANCEL)) return "the question did not close";
    }
    return "";
  });
  startRun();
  ASSERT_EQ(script.join(), "");

  ASSERT_EQ(questions.size(), 2u);
  for (const Question& q : questions) {
    EXPECT_EQ(q.text, local("当前歌曲中不包含任何信息数据，是否需要手动修改？"));
    EXPECT_EQ(q.caption, "Lyrivane");
    EXPECT_TRUE(q.hasOk);
    EXPECT_TRUE(q.hasCancel);
  }
  EXPECT_EQ(questions[0].rows, 3) << "asked while the song's row is still in the list";
  EXPECT_EQ(questions[1].rows, 2);
  EXPECT_EQ(file("bare.mp3"), before_.at("bare.mp3"));
  EXPECT_EQ(file("T(A).mp3"), before_.at("t.mp3")) << "the run goes on after the question";
  EXPECT_EQ(app::songCount(main_.songList()), 0);
  EXPECT_EQ(takeStyledBoxes(), std::vector<std::string>{local("所有歌曲已处理完成")});
  EXPECT_TRUE(gui_testing::topLevelWindows(GetCurrentProcessId(), app::kLyricsWindowClass).empty());
}

TEST_F(RenameRunTest, SongWithoutTitleAnsweredOkOpensTheLyricsWindowAndTheRunWaitsForIt) {
  const std::string bare = song("bare.Mp3", gui_testing::mp3Song(u"", u"", 1));
  const std::string tagged = song("t.mp3", gui_testing::mp3Song(u"T", u"A", 2));
  drop({bare, tagged});

  struct {
    std::string caption;
    gui_testing::Box box{};
    HWND parent = reinterpret_cast<HWND>(1);
    bool busyShown = false, tFileUntouched = false;
    int rows = -1;
  } lyrics;
  HWND list = main_.songList(), busy = main_.busyLabel();
  const std::string tPath = tagged;
  gui_testing::DialogScript script([&]() -> std::string {
    HWND box = gui_testing::waitForDialog(isQuestion);
    if (box == nullptr) return "no question";
    if (!gui_testing::answerDialog(box, IDOK)) return "the question did not close";
    HWND window = gui_testing::waitForWindow(
        [] {
          for (HWND w :
               gui_testing::topLevelWindows(GetCurrentProcessId(), app::kLyricsWindowClass)) {
            if (IsWindowVisible(w)) return w;
          }
          return static_cast<HWND>(nullptr);
        },
        10000);
    if (window == nullptr) return "no lyrics window";
    lyrics.caption = ui::windowText(window);
    lyrics.box = gui_testing::boxOf(window);
    lyrics.parent = GetParent(window);
    // The run is suspended while the window is open.
    Sleep(700);
    lyrics.busyShown = IsWindowVisible(busy) != FALSE;
    lyrics.rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    lyrics.tFileUntouched = GetFileAttributesA(tPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return "";
  });
  startRun();
  ASSERT_EQ(script.join(), "");

  EXPECT_EQ(lyrics.caption, local("歌词智能判断歌曲名"));
  EXPECT_EQ(gui_testing::describe(lyrics.box), gui_testing::describe({50, 50, 562, 226}))
      << "the full layout of a window opened from a run";
  EXPECT_EQ(lyrics.parent, nullptr);
  EXPECT_TRUE(lyrics.busyShown);
  EXPECT_EQ(lyrics.rows, 2);
  EXPECT_TRUE(lyrics.tFileUntouched) << "the next song waits for the lyrics window";

  EXPECT_EQ(file("bare.Mp3"), before_.at("bare.Mp3"));
  EXPECT_EQ(file("T(A).mp3"), before_.at("t.mp3"));
  EXPECT_EQ(app::songFolder, dir_.path()) << "where the lyrics window renames into";
  EXPECT_EQ(app::songCount(main_.songList()), 0);
  EXPECT_EQ(takeStyledBoxes(), std::vector<std::string>{local("所有歌曲已处理完成")});
  EXPECT_FALSE(gui_testing::takeQuitMessage()) << "closing the lyrics window ends nothing";
  EXPECT_TRUE(IsWindowVisible(main_.hwnd()));
}

// A drop that arrives during the run, from a timer that fires in its pause.
std::vector<std::string> g_lateDrop;
HWND g_lateDropList = nullptr;
DWORD g_lateDropEffect = 0xFFFF;
void CALLBACK dropLate(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_lateDropEffect = gui_testing::dropFiles(g_lateDropList, g_lateDrop);
}

TEST_F(RenameRunTest, ClicksAndDropsDuringARunLeaveTheListAlone) {
  const std::string x = song("x.mp3", gui_testing::mp3Song(u"X", u"A", 1));
  const std::string y = song("y.mp3", gui_testing::mp3Song(u"Y", u"A", 2));
  const std::string z = song("z.mp3", gui_testing::mp3Song(u"Z", u"A", 3));
  drop({x, y});
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED;
  state.state = LVIS_SELECTED;
  SendMessageA(main_.songList(), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
  ASSERT_EQ(app::selectedSong(main_.songList()), 1);

  g_lateDrop = {z};
  g_lateDropList = main_.songList();
  g_lateDropEffect = 0xFFFF;
  ASSERT_NE(SetTimer(nullptr, 0, 100, dropLate), 0u);

  // Clicks queued while the run pauses: "删除" would take the selected row y, "开始修改"
  // would start a second run, "添加" would open the dialog.
  HWND window = main_.hwnd();
  gui_testing::DialogScript clicks([window]() -> std::string {
    Sleep(200);
    for (int id : {app::kButton1Remove, app::kButton2Start, app::kButton3Add}) {
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
    if (gui_testing::waitForDialog(nullptr, 1200) != nullptr) return "a dialog opened mid-run";
    return "";
  });
  startRun();
  ASSERT_EQ(clicks.join(), "");

  EXPECT_NE(g_lateDropEffect, 0xFFFFu) << "the timer did not fire during the run";
  EXPECT_TRUE(exists("X(A).mp3"));
  EXPECT_TRUE(exists("Y(A).mp3")) << "y's row was taken away during the run";
  EXPECT_EQ(file("z.mp3"), before_.at("z.mp3")) << "the late drop was taken into the run";
  EXPECT_EQ(app::songCount(main_.songList()), 0);
  EXPECT_EQ(takeStyledBoxes(), std::vector<std::string>{local("所有歌曲已处理完成")})
      << "one run, one final box";

  // After the run the buttons and the drop work again.
  EXPECT_EQ(gui_testing::dropFiles(main_.songList(), {z}), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(app::songCount(main_.songList()), 1);
}

HWND g_windowToClose = nullptr;
void CALLBACK closeLate(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  PostMessageA(g_windowToClose, WM_CLOSE, 0, 0);
}

TEST_F(RenameRunTest, ClosingTheWindowDuringARunEndsItAfterTheSongAtHand) {
  const std::string x = song("x.mp3", gui_testing::mp3Song(u"X", u"A", 1));
  const std::string y = song("y.mp3", gui_testing::mp3Song(u"Y", u"A", 2));
  drop({x, y});
  g_windowToClose = main_.hwnd();
  ASSERT_NE(SetTimer(nullptr, 0, 150, closeLate), 0u);
  const long long ms = startRun();
  EXPECT_LT(ms, 1000) << "the run went on without its window";
  EXPECT_EQ(main_.hwnd(), nullptr);
  EXPECT_TRUE(exists("X(A).mp3"));
  EXPECT_EQ(file("y.mp3"), before_.at("y.mp3"));
  EXPECT_TRUE(takeStyledBoxes().empty()) << "no box after the window is gone";
  EXPECT_TRUE(gui_testing::takeQuitMessage()) << "the end of the program must reach its loop";
}

}  // namespace
