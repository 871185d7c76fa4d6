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

}  // namespace
