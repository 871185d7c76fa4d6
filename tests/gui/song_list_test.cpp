// The SongList and its two ways in: the open dialog of "添加", answered from a helper thread
// as a user answers it, and files dropped through the drop target the list registered;
// then "删除". The songs are real files in a temporary folder; none is ever changed.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/main_window_win.h"
#include "app/rename.h"
#include "app/shell_state.h"
#include "app/song_list_win.h"
#include "app/styled_message_box_win.h"
#include "platform/text.h"
#include "tests/gui/gui_support.h"
#include "tests/gui/song_files.h"
#include "tests/support/temp_dir.h"
#include "ui/controls_win.h"

namespace {

using gui_testing::local;

struct Row {
  std::string name, path, info;
  bool operator==(const Row& o) const { return name == o.name && path == o.path && info == o.info; }
};

void PrintTo(const Row& row, std::ostream* os) {
  *os << "{" << row.name << " | " << row.path << " | " << row.info << "}";
}

std::vector<Row> rowsOf(HWND list) {
  std::vector<Row> rows;
  for (int i = 0; i < app::songCount(list); ++i) {
    rows.push_back({app::songText(list, i, app::kNameColumn),
                    app::songText(list, i, app::kPathColumn),
                    app::songText(list, i, app::kInfoColumn)});
  }
  return rows;
}

// The texts of the StyledMessageBoxes on screen, closing them.
std::vector<std::string> takeStyledBoxes() {
  std::vector<std::string> texts;
  for (HWND box : gui_testing::topLevelWindows(GetCurrentProcessId(), "MyWindow")) {
    if (!IsWindowVisible(box)) continue;
    texts.push_back(ui::windowText(box) + ": " +
                    ui::windowText(GetDlgItem(box, app::kStyledBoxText)));
    DestroyWindow(box);
  }
  return texts;
}

int visibleButtons(HWND dialog) {
  int n = 0;
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (ui::windowClassName(c) == "Button" && IsWindowVisible(c)) ++n;
  }
  return n;
}

class SongListTest : public testing::Test {
 protected:
  void SetUp() override {
    app::releaseShellState();
    gui_testing::closeThreadWindows();
    ASSERT_NE(main_.load({}), nullptr);
    a_ = dir_.write("a.mp3", gui_testing::mp3Song(u"青花瓷", u"周杰伦"));
    b_ = dir_.write("b.txt", "notes");
    c_ = dir_.write("c.mp3", gui_testing::mp3Song(u"C", u"", 0x33));
    d_ = dir_.write("D.WMA", gui_testing::wmaSong(u"Dt", u"Da"));
    before_ = gui_testing::filesIn(dir_.path());
  }
  void TearDown() override {
    gui_testing::closeThreadWindows();
    EXPECT_FALSE(gui_testing::takeQuitMessage()) << "a dialog script had to give up";
    // Adding and removing songs never touches a file.
    EXPECT_EQ(gui_testing::filesIn(dir_.path()), before_);
    app::releaseShellState();
  }

  HWND list() const { return main_.songList(); }
  void click(int id) { SendMessageA(main_.control(id), BM_CLICK, 0, 0); }

  // "添加" with a script answering the dialog; what went wrong in the script, or "".
  std::string addThroughDialog(std::function<std::string(HWND dialog)> answer) {
    gui_testing::DialogScript script([answer]() -> std::string {
      HWND dialog = gui_testing::waitForDialog(gui_testing::isOpenFileDialog);
      if (dialog == nullptr) return "no open dialog came";
      return answer(dialog);
    });
    click(app::kButton3Add);
    return script.join();
  }

  testing_support::TempDir dir_;
  app::MainWindow main_;
  std::string a_, b_, c_, d_;
  gui_testing::FolderFiles before_;
};

// Navigates the dialog to `folder`, then chooses `names` there.
std::string chooseIn(HWND dialog, const std::string& folder, const std::string& names) {
  if (!gui_testing::typeIntoOpenDialog(dialog, folder)) return "no file-name field";
  if (!IsWindowVisible(dialog)) return "the dialog closed on a folder";
  if (!gui_testing::typeIntoOpenDialog(dialog, names)) return "no file-name field";
  for (int i = 0; i < 100 && IsWindow(dialog) && IsWindowVisible(dialog); ++i) Sleep(20);
  return IsWindow(dialog) && IsWindowVisible(dialog) ? "the dialog stayed open" : "";
}

TEST_F(SongListTest, DialogGivesItsFilesInTheDialogsOrderAfterEmptyingTheList) {
  // Rows from an earlier drop go as soon as "添加" is clicked.
  ASSERT_EQ(gui_testing::dropFiles(list(), {d_}), static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_EQ(app::songCount(list()), 1);

  std::string caption, filter;
  int rowsWhileOpen = -1;
  const std::string failure = addThroughDialog([&](HWND dialog) {
    caption = ui::windowText(dialog);
    filter = ui::windowText(gui_testing::findDescendant(dialog, 0x470));  // file types
    rowsWhileOpen = static_cast<int>(SendMessageA(list(), LVM_GETITEMCOUNT, 0, 0));
    return chooseIn(dialog, dir_.path(), "\"c.mp3\" \"D.WMA\" \"a.mp3\"");
  });
  ASSERT_EQ(failure, "");
  EXPECT_EQ(caption, local("请选择文件："));
  EXPECT_EQ(filter, local("音频文件"));
  EXPECT_EQ(rowsWhileOpen, 0) << "the list is emptied before the dialog opens";

  const std::vector<Row> expected = {
      {"c", c_, "C - "},
      {"D", d_, "Dt - Da"},
      {"a", a_, local("青花瓷 - 周杰伦")},
  };
  EXPECT_EQ(rowsOf(list()), expected);
  EXPECT_EQ(app::lastSelection, c_ + "\r\n" + d_ + "\r\n" + a_);
  EXPECT_EQ(app::currentSongPath, a_);
  EXPECT_TRUE(takeStyledBoxes().empty());
}

// A drop that arrives while the open dialog is up, from a timer that fires in its loop.
HWND g_lateDropList = nullptr;
std::string g_lateDropPath;
DWORD g_lateDropEffect = 0xFFFF;
void CALLBACK dropLate(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_lateDropEffect = gui_testing::dropFiles(g_lateDropList, {g_lateDropPath});
}

TEST_F(SongListTest, OneFileComesBackWholeAndACancelLeavesTheListEmpty) {
  ASSERT_EQ(gui_testing::dropFiles(list(), {a_, c_}), static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_EQ(app::songCount(list()), 2);
  g_lateDropList = list();
  g_lateDropPath = d_;
  g_lateDropEffect = 0xFFFF;
  ASSERT_NE(SetTimer(nullptr, 0, 50, dropLate), 0u);
  ASSERT_EQ(addThroughDialog([](HWND dialog) {
              Sleep(300);  // the timer's drop comes meanwhile
              return gui_testing::answerDialog(dialog, IDCANCEL) ? "" : "cancel did not close it";
            }),
            "");
  EXPECT_NE(g_lateDropEffect, 0xFFFFu) << "the timer did not fire while the dialog was open";
  EXPECT_EQ(app::songCount(list()), 0) << "a drop while the dialog is open must not add rows";
  EXPECT_EQ(app::lastSelection, "");

  ASSERT_EQ(addThroughDialog([&](HWND dialog) -> std::string {
              if (!gui_testing::typeIntoOpenDialog(dialog, c_)) return "no file-name field";
              for (int i = 0; i < 100 && IsWindowVisible(dialog); ++i) Sleep(20);
              return IsWindowVisible(dialog) ? "the dialog stayed open" : "";
            }),
            "");
  const std::vector<Row> expected = {{"c", c_, "C - "}};
  EXPECT_EQ(rowsOf(list()), expected);
  EXPECT_EQ(app::lastSelection, c_);
}

TEST_F(SongListTest, AFolderAtTheRootOfADriveGetsNoSecondBackslash) {
  // Names that do not exist: the dialog hands typed names on, and no file is made or read.
  ASSERT_EQ(addThroughDialog([](HWND dialog) {
              return chooseIn(dialog, "C:\\",
                              "\"lyrivane-no-such-1.mp3\" \"lyrivane-no-such-2.FLAC\"");
            }),
            "");
  const std::vector<Row> expected = {
      {"lyrivane-no-such-1", "C:\\lyrivane-no-such-1.mp3", " - "},
      {"lyrivane-no-such-2", "C:\\lyrivane-no-such-2.FLAC", " - "},
  };
  EXPECT_EQ(rowsOf(list()), expected);
}

TEST_F(SongListTest, DialogChoiceWithAnotherKindAddsUpToItAndSaysSoInThePlainBox) {
  struct {
    std::string text, caption;
    int buttons = 0;
    int rows = -1;
  } box;
  const std::string failure = addThroughDialog([&](HWND dialog) -> std::string {
    const std::string chosen = chooseIn(dialog, dir_.path(), "\"a.mp3\" \"b.txt\" \"c.mp3\"");
    if (!chosen.empty()) return chosen;
    HWND message =
        gui_testing::waitForDialog([](HWND w) { return !gui_testing::isOpenFileDialog(w); });
    if (message == nullptr) return "no message box";
    box.text = gui_testing::dialogStatics(message);
    box.caption = ui::windowText(message);
    box.buttons = visibleButtons(message);
    box.rows = static_cast<int>(SendMessageA(list(), LVM_GETITEMCOUNT, 0, 0));
    return gui_testing::answerDialog(message, IDOK) ? "" : "the box did not close";
  });
  ASSERT_EQ(failure, "");
  EXPECT_EQ(box.text, local("不是有效的音频文件"));
  EXPECT_EQ(box.caption, "Lyrivane");
  EXPECT_EQ(box.buttons, 1) << "OK only";
  EXPECT_EQ(box.rows, 1) << "the rows before the rejected path are in when it is reported";

  const std::vector<Row> expected = {{"a", a_, local("青花瓷 - 周杰伦")}};
  EXPECT_EQ(rowsOf(list()), expected);
  EXPECT_EQ(app::lastSelection, a_ + "\r\n" + b_ + "\r\n" + c_);
  EXPECT_EQ(app::currentSongPath, b_) << "the rejected path was the last one examined";
  EXPECT_TRUE(takeStyledBoxes().empty());
  EXPECT_TRUE(gui_testing::ownDialogs().empty());
}

TEST_F(SongListTest, DroppedFilesReplaceTheRowsInDropOrder) {
  const std::string chinese = dir_.write(local("月亮代表我的心.mp3"),
                                         gui_testing::mp3Song(u"月亮代表我的心", u"邓丽君", 1));
  const std::string dotless = dir_.write("songmp3", gui_testing::mp3Song(u"X", u"Y", 2));
  before_ = gui_testing::filesIn(dir_.path());

  ASSERT_EQ(gui_testing::dropFiles(list(), {a_}), static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_EQ(app::songCount(list()), 1);
  ASSERT_EQ(gui_testing::dropFiles(list(), {d_, chinese, dotless, c_}),
            static_cast<DWORD>(DROPEFFECT_COPY));
  const std::vector<Row> expected = {
      {"D", d_, "Dt - Da"},
      {local("月亮代表我的心"), chinese, local("月亮代表我的心 - 邓丽君")},
      // No dot in the name: a song all the same, with an empty base name.
      {"", dotless, "X - Y"},
      {"c", c_, "C - "},
  };
  EXPECT_EQ(rowsOf(list()), expected);
  EXPECT_EQ(app::lastSelection, d_ + "\r\n" + chinese + "\r\n" + dotless + "\r\n" + c_);
  EXPECT_EQ(app::currentSongPath, c_);
  EXPECT_TRUE(takeStyledBoxes().empty());
}

TEST_F(SongListTest, DropWithAnotherKindAddsUpToItAndSaysSoInAStyledBox) {
  ASSERT_EQ(gui_testing::dropFiles(list(), {a_, b_, c_}), static_cast<DWORD>(DROPEFFECT_COPY));
  // The drop returned with the box still on screen: it does not wait for the user.
  const std::vector<std::string> boxes = takeStyledBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], local("信息: 不是有效的音频文件"));
  const std::vector<Row> expected = {{"a", a_, local("青花瓷 - 周杰伦")}};
  EXPECT_EQ(rowsOf(list()), expected);
  EXPECT_EQ(app::currentSongPath, b_);
  EXPECT_TRUE(gui_testing::ownDialogs().empty()) << "no plain box for a drop";

  // A drop that begins with a path of another kind leaves the list empty.
  ASSERT_EQ(gui_testing::dropFiles(list(), {b_, a_}), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(app::songCount(list()), 0);
  EXPECT_EQ(takeStyledBoxes().size(), 1u);
}

TEST_F(SongListTest, RemoveDeletesTheSelectedRowOnlyAndNothingWithoutASelection) {
  ASSERT_EQ(gui_testing::dropFiles(list(), {a_, c_, d_}), static_cast<DWORD>(DROPEFFECT_COPY));
  click(app::kButton1Remove);
  EXPECT_EQ(app::songCount(list()), 3) << "nothing selected, nothing removed";

  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list(), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
  ASSERT_EQ(app::selectedSong(list()), 1);
  click(app::kButton1Remove);
  std::vector<Row> rows = rowsOf(list());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].path, a_);
  EXPECT_EQ(rows[1].path, d_);

  // Once the selected row is gone nothing is selected: another click removes nothing.
  click(app::kButton1Remove);
  EXPECT_EQ(app::songCount(list()), 2);
  EXPECT_EQ(app::lastSelection, a_ + "\r\n" + c_ + "\r\n" + d_) << "removing changes no state";
}

TEST_F(SongListTest, CellsLongerThanAPathBufferReadBackWhole) {
  const app::SongRow row{"n", "C:\\" + std::string(3000, 'x') + ".mp3", local("长") + "x"};
  ASSERT_TRUE(app::appendSong(list(), row));
  EXPECT_EQ(app::songText(list(), 0, app::kPathColumn), row.path);
  EXPECT_EQ(app::songText(list(), 0, app::kInfoColumn), row.info);
  EXPECT_EQ(app::songText(list(), 1, app::kPathColumn), "") << "no such row";
}

TEST_F(SongListTest, ADroppedNameOutsideTheCodePageIsRefusedAndItsLookAlikeNeverRead) {
  // "track².mp3" has no form in code page 936: converted with best fit it would be
  // "track2.mp3", another song, which would then be read (and renamed) in its place.
  dir_.write("track2.mp3", gui_testing::mp3Song(u"Wrong", u"Song"));
  const std::u16string named = platform::localToWide(dir_.path()) + u"track\u00B2.mp3";
  std::ofstream(std::filesystem::path(std::wstring(named.begin(), named.end())), std::ios::binary)
      << gui_testing::mp3Song(u"Right", u"Song");
  before_ = gui_testing::filesIn(dir_.path());

  ASSERT_EQ(
      gui_testing::dropFiles(list(), std::vector<std::u16string>{named, platform::localToWide(a_)}),
      static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(rowsOf(list()), (std::vector<Row>{{"a", a_, local("青花瓷 - 周杰伦")}}));
  EXPECT_EQ(takeStyledBoxes(),
            std::vector<std::string>{local("信息: 文件名含有系统代码页无法表示的字符，未打开：") +
                                     "\r\n" + dir_.path() + "track?.mp3"});
}

}  // namespace
