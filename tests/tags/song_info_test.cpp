// The record's helpers and the dispatcher's suffix table.
#include "tags/song_info.h"

#include <gtest/gtest.h>

#include <new>

#include "platform/text.h"
#include "tags/source.h"
#include "tests/support/temp_dir.h"

namespace {

using tags::SongKind;

TEST(SongKindOf, PicksTheReadingSequenceFromTheLastLetters) {
  const struct {
    const char* path;
    SongKind kind;
  } cases[] = {
      {"D:\\music\\a.mp3", SongKind::mp3},
      {"a.MP3", SongKind::mp3},
      {"xmp3", SongKind::mp3},
      {"mp3", SongKind::mp3},
      {"a.wma", SongKind::wma},
      {"a.Ape", SongKind::ape},
      {"a.ogg", SongKind::ogg},
      {"a.flac", SongKind::flac},
      {"a.FLAC", SongKind::flac},
      {"flac", SongKind::flac},
      {"a.mp4", SongKind::unknown},
      {"a.mp3 ", SongKind::unknown},
      {"", SongKind::unknown},
      {"p3", SongKind::unknown},
      {"a.oga", SongKind::unknown},
      {"a.fla", SongKind::unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(tags::songKindOf(c.path), c.kind) << c.path;
}

TEST(ReadSongInfo, UnknownSuffixReadsNothing) {
  EXPECT_EQ(tags::readSongInfo("/no/such/file.mp4"), platform::utf8ToLocal("无法获取歌曲信息"));
}

TEST(ReadSongInfo, MissingOrTaglessFilesOfAKnownKindGiveTheBareSeparator) {
  testing_support::TempDir dir;
  EXPECT_EQ(tags::readSongInfo(dir.path() + "missing.mp3"), " - ");
  for (const char* name : {"empty.mp3", "empty.wma", "empty.ape", "empty.ogg", "empty.flac"}) {
    const std::string path = dir.write(name, "");
    EXPECT_EQ(tags::readSongInfo(path), " - ") << name;
  }
  const std::string noise = dir.write("noise.mp3", std::string(5000, '\x55'));
  EXPECT_EQ(tags::readSongInfo(noise), " - ");
}

// A song whose every read fails as an allocation deep in a reader would.
class ThrowingSource : public tags::Source {
 public:
  bool isOpen() const override { return true; }
  std::uint64_t size() const override { return 1 << 20; }
  std::size_t readAt(std::uint64_t, std::uint8_t*, std::size_t) override { throw std::bad_alloc(); }
};

TEST(ReadSongKind, AReaderThatThrowsGivesAnUnreadableSongWithAnEmptyRecord) {
  for (const SongKind kind :
       {SongKind::wma, SongKind::ape, SongKind::mp3, SongKind::ogg, SongKind::flac}) {
    tags::SongInfo info;
    info.title = "from an earlier song";
    ThrowingSource source;
    EXPECT_FALSE(tags::readSongKind(kind, source, info)) << static_cast<int>(kind);
    EXPECT_EQ(info.title, "") << static_cast<int>(kind);
  }
}

TEST(FormatDuration, MinutesAndTwoDigitSeconds) {
  const struct {
    std::int32_t seconds;
    const char* text;
  } cases[] = {
      {0, "00:00"},
      {59, "00:59"},
      {60, "01:00"},
      {600, "10:00"},
      {7385, "123:05"},
      {-5, "00:00"},
      {2147483647, "35791394:07"},
  };
  for (const auto& c : cases) EXPECT_EQ(tags::formatDuration(c.seconds), c.text) << c.seconds;
}

TEST(CompareBytes, ComparesUnsignedAndStopsAtTheCount) {
  EXPECT_EQ(tags::compareBytes("abc", "abd", 3), -1);
  EXPECT_EQ(tags::compareBytes("abd", "abc", 3), 1);
  EXPECT_EQ(tags::compareBytes("abc", "abd", 2), 0);
  EXPECT_EQ(tags::compareBytes("x", "y", 0), 0);
  EXPECT_EQ(tags::compareBytes("\xFF", "\x01", 1), 1);  // unsigned, not signed char
}

TEST(ResetSongInfo, EmptiesEverythingButTrackIndex) {
  tags::SongInfo info;
  for (const auto& f : tags::kSongInfoTextFields) info.*f.member = f.name;
  info.picture = {1, 2, 3};
  tags::resetSongInfo(info);
  for (const auto& f : tags::kSongInfoTextFields) {
    if (std::string(f.name) == "trackIndex")
      EXPECT_EQ(info.*f.member, "trackIndex");
    else
      EXPECT_TRUE((info.*f.member).empty()) << f.name;
  }
  EXPECT_TRUE(info.picture.empty());
}

TEST(SongInfoFields, NamesFollowTheRecordOrder) {
  const char* expected[] = {
      "artist",  "title",      "album",    "copyright", "comment",     "track",      "encoder",
      "genre",   "lyrics",     "year",     "url",       "composer",    "sdkVersion", "reserved",
      "bitRate", "sampleRate", "channels", "performer", "description", "duration",   "trackIndex"};
  for (int i = 0; i < 21; ++i) EXPECT_STREQ(tags::kSongInfoTextFields[i].name, expected[i]);
}

TEST(TextEncodings, Utf8ToUtf16AndBackToLocal) {
  using Bytes = std::vector<std::uint8_t>;
  EXPECT_TRUE(tags::utf8ToUtf16(Bytes{}).empty());
  EXPECT_EQ(tags::utf16ToLocal(tags::utf8ToUtf16(Bytes{})), "");
  // "歌" then a NUL and more: the conversion stops at the NUL and ends in one NUL unit.
  const Bytes utf16 = tags::utf8ToUtf16(Bytes{0xE6, 0xAD, 0x8C, 0x00, 'x'});
  EXPECT_EQ(utf16, (Bytes{0x4C, 0x6B, 0x00, 0x00}));
  EXPECT_EQ(tags::utf16ToLocal(utf16), "\xB8\xE8");  // 歌 in GBK
  // utf16ToLocal stops at the first NUL unit and ignores an odd trailing byte.
  EXPECT_EQ(tags::utf16ToLocal(Bytes{'a', 0, 0, 0, 'b', 0}), "a");
  EXPECT_EQ(tags::utf16ToLocal(Bytes{'a', 0, 'b'}), "a");
}

}  // namespace
