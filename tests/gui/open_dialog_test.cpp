// The open dialog's filter list, the one piece of it that the dialog tests cannot see whole.
#include "app/open_dialog_win.h"

#include <gtest/gtest.h>

#include "tests/gui/gui_support.h"

namespace {

using gui_testing::local;

TEST(DialogFilterList, EveryBarBecomesANulAndTwoNulsEndTheList) {
  using namespace std::string_literals;
  const struct {
    std::string filter;
    std::string list;
  } cases[] = {
      {local("音频文件|*.mp3;*.wma;*.ape;*.ogg;*.flac"),
       local("音频文件") + "\0*.mp3;*.wma;*.ape;*.ogg;*.flac\0\0"s},
      {local("图片文件|*.jpg;*.bmp;*.png"), local("图片文件") + "\0*.jpg;*.bmp;*.png\0\0"s},
      {"a|b|c|d", "a\0b\0c\0d\0\0"s},
      {"", "\0\0"s},
      // 亅 is 0x81 0x7C in GBK: its second byte is no bar.
      {"\x81\x7C|x", "\x81\x7C\0x\0\0"s},
  };
  for (const auto& c : cases) EXPECT_EQ(app::dialogFilterList(c.filter), c.list) << c.filter;
}

TEST(DialogChosenPaths, NamesTheCodePageCannotHoldAreRefusedNotBestFitted) {
  using namespace std::string_literals;
  // "²" is not in code page 936; the plain conversion makes "2" of it.
  const struct {
    std::u16string buffer;
    std::string paths;
    std::vector<std::string> refused;
  } cases[] = {
      {u"C:\\m\\a.mp3\0\0"s, "C:\\m\\a.mp3", {}},
      {u"C:\\m\0a.mp3\0track\u00B2.mp3\0b.ogg\0\0"s,
       "C:\\m\\a.mp3\r\nC:\\m\\b.ogg",
       {"C:\\m\\track?.mp3"}},
      {u"C:\\m\\track\u00B2.mp3\0\0"s, "", {"C:\\m\\track?.mp3"}},
      {u"C:\\\u00B2\0a.mp3\0b.mp3\0\0"s, "", {"C:\\?\\a.mp3", "C:\\?\\b.mp3"}},
      {u"C:\\\0\u6B4C.mp3\0\0"s, "C:\\" + local("歌.mp3"), {}},
      {u"\0\0"s, "", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> refused;
    EXPECT_EQ(app::dialogChosenPaths(c.buffer, refused), c.paths) << c.paths;
    EXPECT_EQ(refused, c.refused) << c.paths;
  }
}

}  // namespace
