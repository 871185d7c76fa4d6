// Local text on both platforms: conversions, unmappable characters, character stepping.
#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/utf.h"

namespace {

const std::string kZhongWenGbk = "\xD6\xD0\xCE\xC4";  // 中文 in GBK
const std::string kZhongWenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";

TEST(LocalText, GbkRoundTripsThroughWideAndUtf8) {
  EXPECT_EQ(platform::wideToLocal(u"中文 abc"), kZhongWenGbk + " abc");
  EXPECT_EQ(platform::localToWide(kZhongWenGbk + " abc"), u"中文 abc");
  EXPECT_EQ(platform::localToUtf8(kZhongWenGbk), kZhongWenUtf8);
  EXPECT_EQ(platform::utf8ToLocal(kZhongWenUtf8), kZhongWenGbk);
  EXPECT_EQ(platform::wideToLocal(u""), "");
  EXPECT_EQ(platform::localToUtf8(""), "");
}

TEST(LocalText, FullWidthSpaceAndPunctuationAreGbkDoubleBytes) {
  EXPECT_EQ(platform::wideToLocal(u"\u3000"), "\xA1\xA1");
  EXPECT_EQ(platform::wideToLocal(u"\uFF08"), "\xA3\xA8");  // （
}

#ifdef _WIN32
TEST(LocalText, CharactersOutsideCodePage936BecomeQuestionMarks) {
  // U+1F600 is a surrogate pair that code page 936 cannot hold: one '?' per unit or one
  // per character depending on the system, but never bytes of another character.
  const std::string s = platform::wideToLocal(u"a\U0001F600b");
  EXPECT_EQ(s.front(), 'a');
  EXPECT_EQ(s.back(), 'b');
  EXPECT_NE(s.find('?'), std::string::npos);
}
#else
TEST(LocalText, Gb18030HoldsAllOfUnicode) {
  // U+20000 is a four-byte GB18030 sequence (GB 18030-2005, section 6).
  EXPECT_EQ(platform::wideToLocal(u"\U00020000"), "\x95\x32\x82\x36");
  EXPECT_EQ(platform::localToWide("\x95\x32\x82\x36"), u"\U00020000");
  EXPECT_EQ(platform::utf8ToLocal("\xF0\x9F\x98\x80"), "\x94\x39\xFC\x36");  // U+1F600
}

TEST(LocalText, UnpairedSurrogateBecomesQuestionMark) {
  const std::u16string lone{u'a', static_cast<char16_t>(0xD800), u'b'};
  EXPECT_EQ(platform::wideToLocal(lone), "a?b");
}

TEST(LocalText, InvalidLocalBytesBecomeReplacementCharacters) {
  // 0xFF never starts a GB18030 character; 0x81 alone at the end is cut short.
  EXPECT_EQ(platform::localToWide("a\xFF"
                                  "b\x81"),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(platform::localToUtf8("\xFF"), "\xEF\xBF\xBD");
}
#endif

TEST(LocalText, ExactConversionRefusesNamesTheLocalTextCannotHold) {
  std::string local;
  EXPECT_TRUE(platform::wideToLocalExact(u"D:\\歌曲\\中文.mp3", local));
  EXPECT_EQ(local, platform::wideToLocal(u"D:\\歌曲\\中文.mp3"));
  const std::u16string lone{u'a', static_cast<char16_t>(0xD800)};
  EXPECT_FALSE(platform::wideToLocalExact(lone, local));
#ifdef _WIN32
  // Code page 936 has neither; the plain conversion gives "track2" and "??" for them.
  EXPECT_FALSE(platform::wideToLocalExact(u"track\u00B2.mp3", local));
  EXPECT_EQ(local, "track?.mp3");
  EXPECT_FALSE(platform::wideToLocalExact(u"\U0001F600.mp3", local));
#endif
}

struct CharLengthCase {
  const char* text;
  std::size_t pos;
  std::size_t expected;
};

TEST(LocalText, CharacterLengthStepsOverDoubleByteCharacters) {
  const CharLengthCase cases[] = {
      {"abc", 0, 1},
      {"abc", 3, 0},  // at the end
      {"abc", 7, 0},  // past the end
      {"\xD6\xD0"
       "a",
       0, 2},  // 中
      {"\xD6\xD0"
       "a",
       2, 1},
      {"a\xD6", 1, 1},     // a lead byte cut off by the end
      {"\xB8\x7C", 0, 2},  // trail byte in the ASCII range (|)
      {"\x81\x40", 0, 2},  // lowest GBK lead and trail
      // A lead byte without a valid trail byte stands alone: the "/" after it is seen.
      {"\x81/x", 0, 1},
      {"\x81\x30/x", 0, 1},
      {"\x81\x30\x2F\x78", 0, 1},  // the title that once hid a folder in a name
      {"\x81\x30\x81/", 0, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::localCharLength(c.text, c.pos), c.expected)
        << "text " << testing::PrintToString(std::string(c.text)) << " at " << c.pos;
}

#ifndef _WIN32
TEST(LocalText, CharacterLengthKnowsGb18030FourByteSequences) {
  const std::string four =
      "\x95\x32\x82\x36"
      "x";
  EXPECT_EQ(platform::localCharLength(four, 0), 4u);
  EXPECT_EQ(platform::localCharLength(four, 4), 1u);
  EXPECT_EQ(platform::localCharLength("\x95\x32", 0), 1u);          // cut short
  EXPECT_EQ(platform::localCharLength("\x95\x32\x82", 0), 1u);      // cut short
  EXPECT_EQ(platform::localCharLength("\x95\x32\x82\x2F", 0), 1u);  // fourth byte no digit
}

TEST(LocalText, PathBytesThatAreNotUtf8ComeBackAsTheyWere) {
  // A folder named in Latin-1 ("café", "Ã") and stray bytes of every value: the path
  // reaches the system with its own bytes, and a title scan never sees a "/" in them.
  std::string bytes = "/music/caf\xE9/\xC3/a.mp3 ";
  for (int b = 0x80; b <= 0xFF; ++b) bytes += static_cast<char>(b);
  const std::string local = platform::utf8PathToLocal(bytes);
  EXPECT_EQ(platform::localPathToUtf8(local), bytes);
  std::size_t slashes = 0;
  for (std::size_t pos = 0; pos < local.size(); pos += platform::localCharLength(local, pos))
    slashes += local[pos] == '/';
  EXPECT_EQ(slashes, 4u);
  // Valid UTF-8 around them converts as text does; text keeps turning such bytes into U+FFFD.
  EXPECT_EQ(platform::utf8PathToLocal("\xE4\xB8\xAD\xE9"),
            "\xD6\xD0" + platform::utf8PathToLocal("\xE9"));
  EXPECT_EQ(platform::localToWide(platform::utf8ToLocal("a\xE9")), u"a\uFFFD");
}
#endif

TEST(Utf, DecodesUtf8AndReplacesBadSequences) {
  EXPECT_EQ(platform::decodeUtf8("\xE6\xAD\x8C"), u"歌");
  EXPECT_EQ(platform::decodeUtf8("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(platform::decodeUtf8("a\xC0\xAF"
                                 "b"),
            u"a\uFFFD\uFFFDb");                                            // overlong
  EXPECT_EQ(platform::decodeUtf8("\xE6\xAD"), u"\uFFFD");                  // truncated
  EXPECT_EQ(platform::decodeUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // surrogate
}

TEST(Utf, EncodesUtf16AndReplacesLoneSurrogates) {
  EXPECT_EQ(platform::encodeUtf8(u"歌\U0001F600"), "\xE6\xAD\x8C\xF0\x9F\x98\x80");
  EXPECT_EQ(platform::encodeUtf8(std::u16string{static_cast<char16_t>(0xDC00)}), "\xEF\xBF\xBD");
}

}  // namespace
