// The file drop target: what a drop of files hands on, and what it refuses.
#include "ui/file_drop_target_win.h"

#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/gui/gui_support.h"

namespace {

using gui_testing::local;

using FakeData = gui_testing::HDropData;

TEST(FileDropTarget, DroppedFilesArriveAsOneTextOfPathsInDropOrder) {
  const std::vector<std::string> paths = {"C:\\music\\a.mp3", local("D:\\歌曲\\表.flac"),
                                          "C:\\b.txt"};
  FakeData data(paths);
  std::vector<std::string> delivered;
  auto* target =
      new ui::FileDropTarget([&](const ui::DroppedFiles& f) { delivered.push_back(f.paths); });
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, {0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->Drop(&data, 0, {0, 0}, &effect), S_OK);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], paths[0] + "\r\n" + paths[1] + "\r\n" + paths[2]);
  target->Release();
}

TEST(FileDropTarget, DataWithoutFilesIsRefusedAndNothingIsHandedOn) {
  FakeData text({"C:\\a.mp3"}, /*asFiles=*/false);
  int calls = 0;
  auto* target = new ui::FileDropTarget([&](const ui::DroppedFiles&) { ++calls; });
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(&text, MK_LBUTTON, {0, 0}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  target->DragOver(MK_LBUTTON, {0, 0}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  target->Drop(&text, 0, {0, 0}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(ui::FileDropTarget::filesOf(&text).paths, "");
  EXPECT_EQ(ui::FileDropTarget::filesOf(nullptr).paths, "");
  target->Release();
}

TEST(FileDropTarget, OneFileIsItsPathAlone) {
  FakeData one({"C:\\x.ogg"});
  EXPECT_EQ(ui::FileDropTarget::filesOf(&one).paths, "C:\\x.ogg");
}

}  // namespace
