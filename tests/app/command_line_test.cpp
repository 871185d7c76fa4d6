// Reading the command line and splitting joined texts into parts.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/text_parts.h"

namespace {

using app::StartMode;

TEST(CommandLine, OnlyTheLastPartAfterSlashCountsByteForByte) {
  struct Case {
    std::vector<std::string> arguments;
    StartMode mode;
  };
  const Case cases[] = {
      {{}, StartMode::normal},
      {{""}, StartMode::normal},  // an empty argument gives no part
      {{"-lrc"}, StartMode::lyricsOnly},
      {{"-h"}, StartMode::help},
      {{"-h", "-lrc"}, StartMode::normal},  // joined "-h-lrc"
      {{"-lrc", "-h"}, StartMode::normal},
      {{"-", "lrc"}, StartMode::lyricsOnly},  // joined with no separator
      {{"anything/-lrc"}, StartMode::lyricsOnly},
      {{"C:/music/x.mp3", "/-h"}, StartMode::help},
      {{"-lrc/"}, StartMode::lyricsOnly},  // the empty part after the last "/" is dropped
      {{"-lrc//"}, StartMode::normal},     // ...but the one between two "/" counts
      {{"-h/x"}, StartMode::normal},
      {{"/"}, StartMode::normal},
      {{"-LRC"}, StartMode::normal},
      {{"-H"}, StartMode::normal},
      {{"-lrc "}, StartMode::normal},
      {{"--lrc"}, StartMode::normal},
      {{"-help"}, StartMode::normal},
      {{"song.mp3"}, StartMode::normal},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const auto& a : c.arguments) shown += "[" + a + "]";
    EXPECT_EQ(app::startModeFor(c.arguments), c.mode) << shown;
  }
}

TEST(TextParts, EmptyPartsCountExceptAfterTheLastSeparator) {
  using Parts = std::vector<std::string>;
  struct Case {
    std::string text, separator;
    Parts parts;
  };
  const Case cases[] = {
      {"", "/", {}},
      {"a", "/", {"a"}},
      {"a/b", "/", {"a", "b"}},
      {"a/", "/", {"a"}},
      {"/", "/", {""}},
      {"//a", "/", {"", "", "a"}},
      {"a//", "/", {"a", ""}},
      {"C:\\a.mp3\r\nC:\\b.mp3", "\r\n", {"C:\\a.mp3", "C:\\b.mp3"}},
      {"a\r\n\r\nb\r\n", "\r\n", {"a", "", "b"}},
      {"a\rb\n", "\r\n", {"a\rb\n"}},
      // GBK 表 is 0xB1 0x5C: its second byte is "\\" and must not be cut.
      {"D:\\\xB1\x5C\\x", "\\", {"D:", "\xB1\x5C", "x"}},
      {"x", "", {"x"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::splitParts(c.text, c.separator), c.parts) << "[" << c.text << "]";
  }
}

}  // namespace
