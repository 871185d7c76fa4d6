// LyricsWindow driven for real against the tests' own search server: the lyrics-only run
// as a program, a title-less song of a rename run named through "应用", the query's
// outcomes, two queries racing, a close during a query, and the result page's window.
// The window is modal: this thread runs it while a helper thread drives it as a user would.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "app/lyrics_window_win.h"
#include "app/main_window_win.h"
#include "app/result_window_win.h"
#include "app/shell_state.h"
#include "lookup/speech.h"
#include "tests/gui/gui_support.h"
#include "tests/gui/song_files.h"
#include "tests/support/search_pages.h"
#include "tests/support/temp_dir.h"
#include "ui/controls_win.h"

namespace {

using gui_testing::local;
using testing_support::PageKind;
using testing_support::SearchTestServer;

constexpr int kWaitMs = 15000;

const std::vector<testing_support::SongHit> kThreeSongs = {
    {"青花瓷", "周杰伦"}, {"Tom & Jerry", "Band"}, {"甜蜜蜜", "邓丽君"}};

// Both services asked at `hostPort` while this lives.
class ServiceHosts {
 public:
  explicit ServiceHosts(const std::string& hostPort) { set(hostPort); }
  ~ServiceHosts() { set(""); }

 private:
  static void set(const std::string& hostPort) {
    _putenv(("LYRIVANE_BAIDU_HOST=" + hostPort).c_str());
    _putenv(("LYRIVANE_SOSO_HOST=" + hostPort).c_str());
  }
};

HWND visibleWindow(DWORD pid, const char* className) {
  for (HWND w : gui_testing::topLevelWindows(pid, className)) {
    if (IsWindowVisible(w)) return w;
  }
  return nullptr;
}

HWND item(HWND window, int id) { return GetDlgItem(window, id); }
std::string text(HWND window, int id) { return ui::windowText(item(window, id)); }
void type(HWND window, int id, const std::string& t) {
  SendMessageA(item(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str()));
}
void click(HWND window, int id) { SendMessageA(item(window, id), BM_CLICK, 0, 0); }
// "觉得歌名不对？" reacts to the left button going down on it.
void pressLabel(HWND window) {
  HWND label = item(window, app::kTransparentLabel1);
  SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

std::vector<std::string> listRows(HWND window) {
  HWND list = item(window, app::kList1Results);
  std::vector<std::string> rows;
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::string row(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1, '\0');
    row.resize(static_cast<std::size_t>(
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&row[0]))));
    rows.push_back(row);
  }
  return rows;
}

bool waitForRowCount(HWND window, std::size_t count) {
  return gui_testing::waitForWindow(
             [&] { return listRows(window).size() == count ? window : nullptr; }, kWaitMs) !=
         nullptr;
}

int requestsFor(SearchTestServer& server, const std::string& lyricsEscaped) {
  int n = 0;
  for (const auto& request : server.http().requests()) {
    n += request.target.find("=" + lyricsEscaped + "&") != std::string::npos ? 1 : 0;
  }
  return n;
}

// Recording files in the temporary folder: names in hexadecimal followed by ".tmp".
std::set<std::string> recordings() {
  char folder[MAX_PATH] = {};
  GetTempPathA(sizeof folder, folder);
  std::set<std::string> found;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((std::string(folder) + "*.tmp").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    const std::string name = data.cFileName;
    if (name.find_first_not_of("0123456789abcdef") == name.size() - 4) {
      found.insert(folder + name);
    }
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return found;
}

class LyricsWindowTest : public gui_testing::ShellTest {
 protected:
  // Opens LyricsWindow modally on this thread while `script` drives it from a helper
  // thread; the window is closed after the script. What went wrong, or "".
  std::string drive(const std::function<std::string(HWND)>& script) {
    gui_testing::DialogScript driver([script]() -> std::string {
      HWND window = gui_testing::waitForWindow(
          [] { return visibleWindow(GetCurrentProcessId(), app::kLyricsWindowClass); }, kWaitMs);
      if (window == nullptr) return "no lyrics window";
      const std::string failure = script(window);
      PostMessageA(window, WM_CLOSE, 0, 0);
      return failure;
    });
    app::LyricsWindow::openModal();
    return driver.join();
  }
};

// The queries run in the full layout beside a MainWindow, as a rename run opens it.
class LyricsQueryTest : public LyricsWindowTest {
 protected:
  void SetUp() override {
    LyricsWindowTest::SetUp();
    ASSERT_NE(main_.load({}), nullptr);
  }
  SearchTestServer server_;
  ServiceHosts hosts_{server_.hostPort()};
  app::MainWindow main_;
};

TEST(LyricsOnlyProgram, CompactWindowWithItsListAndARecordingFileThatGoesWithIt) {
  int closedPort = 0;
  {
    SearchTestServer closed;
    closedPort = closed.http().port();
  }
  ServiceHosts unreachable("127.0.0.1:" + std::to_string(closedPort));
  const std::set<std::string> before = recordings();
  gui_testing::ChildProcess program(gui_testing::programPath(), "-lrc");
  ASSERT_TRUE(program.started());
  HWND lyrics = gui_testing::waitForWindow(
      [&] { return visibleWindow(program.pid(), app::kLyricsWindowClass); }, kWaitMs);
  ASSERT_NE(lyrics, nullptr);
  EXPECT_EQ(gui_testing::describe(gui_testing::boxOf(lyrics)),
            gui_testing::describe({50, 50, 490, 212}));
  HWND list = item(lyrics, app::kList1Results);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(gui_testing::describe(gui_testing::boxOf(list)),
            gui_testing::describe({308, 37, 168, 156}));
  for (int id : {app::kEdit1CurrentSong, app::kEdit4NewName, app::kEdit5Log, app::kButton2Apply}) {
    EXPECT_FALSE(IsWindowVisible(item(lyrics, id))) << id;
  }
  std::set<std::string> made;
  for (const std::string& path : recordings()) {
    if (before.count(path) == 0) made.insert(path);
  }
  ASSERT_EQ(made.size(), 1u) << "one fresh recording file per opening";

  Sleep(300);
  EXPECT_NE(gui_testing::keepScreenshot(lyrics, "lyrics_compact.png"), "");
  // A result page still open does not keep the program from ending cleanly.
  pressLabel(lyrics);
  EXPECT_NE(visibleWindow(program.pid(), app::kResultWindowClass), nullptr);
  PostMessageA(lyrics, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.waitForExit(kWaitMs));
  EXPECT_EQ(program.exitCode(), 0u);
  EXPECT_EQ(GetFileAttributesA(made.begin()->c_str()), INVALID_FILE_ATTRIBUTES)
      << "the recording file is left behind";
}

TEST_F(LyricsQueryTest, ASongWithoutTitleIsNamedFromItsLyricsAndTheRunGoesOn) {
  server_.answer("abc", PageKind::results, kThreeSongs);
  testing_support::TempDir dir;
  const std::string bare = dir.write("bare.Mp3", gui_testing::mp3Song(u"", u"", 1));
  const std::string tagged = dir.write("t.mp3", gui_testing::mp3Song(u"T", u"A", 2));
  const gui_testing::FolderFiles before = gui_testing::filesIn(dir.path());
  ASSERT_EQ(gui_testing::dropFiles(main_.songList(), {bare, tagged}),
            static_cast<DWORD>(DROPEFFECT_COPY));

  struct {
    gui_testing::Box box{};
    std::string path, newName, log;
    int wide = 0, wideButton = 0, narrow = 0, narrowButton = 0;
    std::vector<std::string> rows;
  } seen;
  gui_testing::DialogScript script([&]() -> std::string {
    HWND question = gui_testing::waitForDialog(nullptr);
    if (question == nullptr || !gui_testing::answerDialog(question, IDOK)) return "no question";
    HWND window = gui_testing::waitForWindow(
        [] { return visibleWindow(GetCurrentProcessId(), app::kLyricsWindowClass); }, kWaitMs);
    if (window == nullptr) return "no lyrics window";
    seen.box = gui_testing::boxOf(window);
    seen.path = text(window, app::kEdit1CurrentSong);
    Sleep(300);
    gui_testing::keepScreenshot(window, "lyrics_window.png");

    pressLabel(window);
    seen.wide = gui_testing::boxOf(window).width;
    seen.wideButton = gui_testing::boxOf(item(window, app::kPictureButton1Lyrics)).x;
    type(window, app::kEdit2Lyrics, "abc");
    click(window, app::kButton1Query);
    if (!waitForRowCount(window, 5)) return "the result list was not filled";
    seen.newName = text(window, app::kEdit4NewName);
    seen.rows = listRows(window);
    Sleep(300);
    gui_testing::keepScreenshot(window, "lyrics_results.png");
    pressLabel(window);
    seen.narrow = gui_testing::boxOf(window).width;
    seen.narrowButton = gui_testing::boxOf(item(window, app::kPictureButton1Lyrics)).x;

    type(window, app::kEdit4NewName, local("无题"));
    click(window, app::kButton2Apply);
    seen.log = text(window, app::kEdit5Log);
    PostMessageA(window, WM_CLOSE, 0, 0);
    return "";
  });
  SendMessageA(main_.control(app::kButton2Start), BM_CLICK, 0, 0);
  ASSERT_EQ(script.join(), "");

  EXPECT_EQ(gui_testing::describe(seen.box), gui_testing::describe({50, 50, 562, 226}));
  EXPECT_EQ(seen.path, bare);
  EXPECT_EQ(seen.wide, 744);
  EXPECT_EQ(seen.wideButton, 613);
  EXPECT_EQ(seen.narrow, 562);
  EXPECT_EQ(seen.narrowButton, 431);
  EXPECT_EQ(seen.newName, local("青花瓷"));
  EXPECT_EQ(seen.rows, (std::vector<std::string>{local("    查询结果如下    "), local("甜蜜蜜"),
                                                 "Tom &amp; Jerry", local("青花瓷"), ""}));
  EXPECT_EQ(seen.log, local("停止正在播放的歌曲\r\n开始修改\r\n原始文件名：") + bare +
                          local("→无题.Mp3\r\n修改成功！\r\n"));
  const gui_testing::FolderFiles expected = {{local("无题.mp3"), before.at("bare.Mp3")},
                                             {"T(A).mp3", before.at("t.mp3")}};
  EXPECT_EQ(gui_testing::filesIn(dir.path()), expected) << "renamed by hand, then the run went on";
  EXPECT_FALSE(gui_testing::takeQuitMessage());
}

TEST_F(LyricsQueryTest, NoResultWritesTheNoResultTextsAndStartsNoWorker) {
  EXPECT_EQ(drive([&](HWND window) -> std::string {
              type(window, app::kEdit2Lyrics, "zzz");
              click(window, app::kButton1Query);
              Sleep(500);
              EXPECT_EQ(text(window, app::kEdit4NewName), local("错误：无相关结果"));
              EXPECT_EQ(listRows(window),
                        std::vector<std::string>{local("  该歌词无法查询到其歌名   ")});
              EXPECT_EQ(requestsFor(server_, "%7A%7A%7A"), 1);
              EXPECT_FALSE(IsWindowVisible(item(window, app::kLabel4Busy)));
              return "";
            }),
            "");
}

TEST_F(LyricsQueryTest, EmptyLyricsAreRefusedInABoxAndNothingIsFetched) {
  EXPECT_EQ(drive([&](HWND window) -> std::string {
              click(window, app::kButton1Query);
              HWND box = visibleWindow(GetCurrentProcessId(), "MyWindow");
              if (box == nullptr) return "no message box";
              EXPECT_EQ(ui::windowText(box), local("信息"));
              EXPECT_EQ(gui_testing::dialogStatics(box), local("不允许为空"));
              PostMessageA(box, WM_CLOSE, 0, 0);
              EXPECT_FALSE(IsWindowVisible(item(window, app::kLabel4Busy)));
              return "";
            }),
            "");
  EXPECT_TRUE(server_.http().requests().empty());
}

TEST_F(LyricsQueryTest, NeitherServiceSelectedEmptiesTheListAndFetchesNothing) {
  EXPECT_EQ(drive([&](HWND window) -> std::string {
              SendMessageA(item(window, app::kRadio1Baidu), BM_SETCHECK, BST_UNCHECKED, 0);
              SendMessageA(item(window, app::kList1Results), LB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>("old"));
              type(window, app::kEdit2Lyrics, "abc");
              click(window, app::kButton1Query);
              EXPECT_TRUE(listRows(window).empty());
              EXPECT_FALSE(IsWindowVisible(item(window, app::kLabel4Busy)));
              return "";
            }),
            "");
  EXPECT_TRUE(server_.http().requests().empty());
}

TEST_F(LyricsQueryTest, AFailedFetchIsReportedAndStartsNoWorker) {
  int closedPort = 0;
  {
    SearchTestServer closed;
    closedPort = closed.http().port();
  }
  ServiceHosts unreachable("127.0.0.1:" + std::to_string(closedPort));
  EXPECT_EQ(drive([&](HWND window) -> std::string {
              SendMessageA(item(window, app::kRadio2Soso), BM_CLICK, 0, 0);
              type(window, app::kEdit2Lyrics, "abc");
              click(window, app::kButton1Query);
              Sleep(500);
              EXPECT_EQ(text(window, app::kEdit4NewName), local("错误：查询服务器失败"));
              EXPECT_EQ(listRows(window),
                        std::vector<std::string>{local("  查询服务器失败，请稍后再试   ")});
              return "";
            }),
            "");
}

TEST_F(LyricsQueryTest, RowsOfASupersededQueryNeverReachTheList) {
  server_.answer("first", PageKind::results, {{"One", "A"}});
  server_.answer("second", PageKind::results, {{"Two", "B"}, {"Three", "C"}});
  // The first query's list worker and its second fetch answer late.
  server_.slowDown("first", std::chrono::milliseconds(1500), 1);
  EXPECT_EQ(drive([&](HWND window) -> std::string {
              type(window, app::kEdit2Lyrics, "first");
              PostMessageA(item(window, app::kButton1Query), BM_CLICK, 0, 0);
              Sleep(500);
              // While the first query waits for its pages.
              type(window, app::kEdit2Lyrics, "second");
              click(window, app::kButton1Query);
              if (!waitForRowCount(window, 4)) return "the second query's rows did not come";
              const int firstRequests = requestsFor(server_, "%66%69%72%73%74");
              gui_testing::waitForWindow(
                  [&] { return requestsFor(server_, "%66%69%72%73%74") == 3 ? window : nullptr; },
                  kWaitMs);
              Sleep(2500);
              EXPECT_GE(firstRequests, 2) << "the first query's worker never asked";
              EXPECT_EQ(listRows(window), (std::vector<std::string>{local("    查询结果如下    "),
                                                                    "Three", "Two", ""}));
              EXPECT_EQ(text(window, app::kEdit4NewName), "Two");
              return "";
            }),
            "");
}

TEST_F(LyricsWindowTest, ClosingDuringAQueryIsSafeInBothLayouts) {
  SearchTestServer server;
  ServiceHosts hosts(server.hostPort());
  server.answer("slow", PageKind::results, kThreeSongs);
  for (int compact : {0, 1}) {
    SCOPED_TRACE(compact);
    // The worker's page and the first title's page come after the window is gone.
    server.slowDown("slow", std::chrono::milliseconds(1000), 1);
    app::lyricsOnlyMode = compact;
    const int asked = static_cast<int>(server.http().requests().size());
    EXPECT_EQ(drive([&](HWND window) -> std::string {
                type(window, app::kEdit2Lyrics, "slow");
                PostMessageA(item(window, app::kButton1Query), BM_CLICK, 0, 0);
                Sleep(400);
                return "";
              }),
              "");
    // The late pages arrive with no window to take them.
    gui_testing::pumpMessages(1500);
    EXPECT_EQ(static_cast<int>(server.http().requests().size()), asked + 3);
    EXPECT_EQ(GetFileAttributesA(app::recordingFile.c_str()), INVALID_FILE_ATTRIBUTES);
    gui_testing::takeQuitMessage();
  }
}

TEST_F(LyricsWindowTest, AQuitWhileTheWindowIsOpenTakesTheWindowWithIt) {
  app::MainWindow main;
  ASSERT_NE(main.load({}), nullptr);
  HWND seen = nullptr;
  const DWORD guiThread = GetCurrentThreadId();
  EXPECT_EQ(drive([&](HWND window) -> std::string {
              seen = window;
              PostThreadMessageA(guiThread, WM_QUIT, 0, 0);
              return "";
            }),
            "");
  EXPECT_FALSE(IsWindow(seen)) << "the window outlived the object behind it";
  EXPECT_TRUE(gui_testing::takeQuitMessage()) << "the quit is passed on";
}

TEST_F(LyricsWindowTest, TheLyricsOnlyRunOpensResultPagesInABrowser) {
  SearchTestServer server;
  ServiceHosts hosts(server.hostPort());
  server.answer("abc", PageKind::results, kThreeSongs);
  app::lyricsOnlyMode = 1;
  std::vector<HWND> pages;
  EXPECT_EQ(drive([&](HWND window) -> std::string {
              type(window, app::kEdit2Lyrics, "abc");
              pressLabel(window);
              pressLabel(window);
              pages = gui_testing::topLevelWindows(GetCurrentProcessId(), app::kResultWindowClass);
              if (pages.size() != 2) return "two presses, two result windows";
              for (HWND page : pages) {
                EXPECT_EQ(gui_testing::describe(gui_testing::boxOf(page)),
                          gui_testing::describe({50, 50, 559, 452}));
                EXPECT_EQ(ui::windowText(page), local("百度音乐_abc_歌词搜索"));
                EXPECT_TRUE(app::ResultWindow::hasBrowser(page));
                EXPECT_EQ(
                    app::ResultWindow::navigatedAddress(page),
                    "http://" + server.hostPort() +
                        "/m?word=%61%62%63&lm=-1&f=ms&tn=baidump3lyric&ct=150994944&lf=2&rn=10");
                HWND browser = GetWindow(page, GW_CHILD);
                EXPECT_NE(browser, nullptr) << "the control is not in place";
                if (browser != nullptr) {
                  EXPECT_EQ(gui_testing::describe(gui_testing::boxOf(browser)),
                            gui_testing::describe({8, 38, 536, 408}));
                }
              }
              return "";
            }),
            "");
  EXPECT_TRUE(gui_testing::takeQuitMessage()) << "closing the lyrics window ends the run";
  // The result windows are independent of the lyrics window.
  for (HWND page : pages) {
    EXPECT_TRUE(IsWindow(page));
    DestroyWindow(page);
  }
}

}  // namespace

TEST_F(LyricsWindowTest, TheVoiceButtonRecordsIntoTheWindowsRecordingFile) {
  app::MainWindow main;
  ASSERT_NE(main.load({}), nullptr);
  _putenv("LYRIVANE_SPEECH_HOST=127.0.0.1:9");  // nothing listens there: a quick failure
  std::string saved;
  EXPECT_EQ(drive([&](HWND window) -> std::string {
              click(window, app::kButton4Voice);
              if (text(window, app::kButton4Voice) != lookup::speechRecordingCaption())
                return "not recording: " + text(window, app::kButton4Voice);
              if (text(window, app::kEdit2Lyrics) != lookup::speechPromptText()) return "no prompt";
              Sleep(500);
              click(window, app::kButton4Voice);
              if (text(window, app::kEdit2Lyrics) != lookup::speechFailedText())
                return "no failure text: " + text(window, app::kEdit2Lyrics);
              if (text(window, app::kButton4Voice) != lookup::speechIdleCaption())
                return "caption not back";
              saved = testing_support::TempDir::read(app::recordingFile);
              return "";
            }),
            "");
  _putenv("LYRIVANE_SPEECH_HOST=");
  EXPECT_EQ(saved.substr(0, 4), "RIFF");
}
