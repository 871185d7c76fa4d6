// The ID3v1 reader, its genre names and the two tag probes, over tags built byte by byte.
#include "tags/id3v1.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/text.h"
#include "tags/probes.h"
#include "tests/support/byte_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using tags::SongInfo;
using testing_support::ByteBuilder;

// A fixed-width field: the bytes, then NULs up to the width.
std::string field(const std::string& bytes, std::size_t width) {
  std::string out = bytes.substr(0, width);
  out.resize(width, '\0');
  return out;
}

struct Id3v1 {
  std::string title, artist, album, year, comment;
  int zeroByte = 0, track = 0, genre = 255;

  std::string bytes() const {
    return ByteBuilder()
        .raw("TAG")
        .raw(field(title, 30))
        .raw(field(artist, 30))
        .raw(field(album, 30))
        .raw(field(year, 4))
        .raw(field(comment, 28))
        .bytes({zeroByte, track, genre});
  }
};

struct Read {
  bool found;
  SongInfo info;
};

Read read(const std::string& bytes, SongInfo info = {}) {
  tags::MemorySource source(bytes);
  const bool found = tags::readId3v1(source, info);
  return {found, info};
}

TEST(Id3v1Fields, EachFieldFromItsPlace) {
  Id3v1 tag;
  tag.title = "Title";
  tag.artist = "Artist";
  tag.album = "Album";
  tag.year = "2003";
  tag.comment = std::string(28, 'c');
  tag.track = 7;
  tag.genre = 17;
  const Read r = read(std::string(1000, '\xFF') + tag.bytes());
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.info.title, "Title");
  EXPECT_EQ(r.info.artist, "Artist");
  EXPECT_EQ(r.info.album, "Album");
  EXPECT_EQ(r.info.year, "2003");
  EXPECT_EQ(r.info.comment, std::string(28, 'c'));
  EXPECT_EQ(r.info.track, "7");
  EXPECT_EQ(r.info.genre, "Rock");
}

TEST(Id3v1Fields, TextsAreCutAtNulAndTrimmed) {
  const std::string fullWidthSpace = platform::utf8ToLocal("\u3000");
  ASSERT_EQ(fullWidthSpace, "\xA1\xA1");
  const struct {
    const char* what;
    std::string bytes;
    std::string text;
  } cases[] = {
      {"NUL padded", "Hello", "Hello"},
      {"space padded", "Hello" + std::string(25, ' '), "Hello"},
      {"NUL in the middle", std::string("Hel\0lo", 6), "Hel"},
      {"spaces on both sides", "  two words  ", "two words"},
      {"all blank", std::string(30, ' '), ""},
      {"local bytes pass through", "\xB8\xE8\xC3\xFB", "\xB8\xE8\xC3\xFB"},  // 歌名 in GBK
      {"full-width spaces", "\xA1\xA1 \xB8\xE8\xA1\xA1\xA1\xA1", "\xB8\xE8"},
      // 啊 is B0 A1: its trail byte and a stray A1 are not a full-width space.
      {"a trail byte A1", "\xA1\xA1\xB0\xA1\xA1", "\xB0\xA1\xA1"},
      {"every byte used", std::string(30, 'x'), std::string(30, 'x')},
  };
  for (const auto& c : cases) {
    Id3v1 tag;
    tag.title = c.bytes;
    SongInfo preset;
    preset.title = "old";
    EXPECT_EQ(read(tag.bytes(), preset).info.title, c.text) << c.what;
  }
}

TEST(Id3v1Fields, TrackIsTheByteBeforeTheGenre) {
  const struct {
    const char* what;
    std::string comment;
    int zeroByte, track;
    const char* text;
    const char* comment28;
  } cases[] = {
      {"no track", "c", 0, 0, "0", "c"},
      {"track 200", "c", 0, 200, "200", "c"},
      // ID3v1.0: the comment runs through the last two bytes; its last letter is the track.
      {"v1.0 comment", std::string(28, 'x'), 'y', 'z', "122", "xxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
  };
  for (const auto& c : cases) {
    Id3v1 tag;
    tag.comment = c.comment;
    tag.zeroByte = c.zeroByte;
    tag.track = c.track;
    const Read r = read(tag.bytes());
    EXPECT_EQ(r.info.track, c.text) << c.what;
    EXPECT_EQ(r.info.comment, c.comment28) << c.what;
  }
}

TEST(Id3v1Genres, CodesGiveNamesAndUnknownCodesLeaveTheGenre) {
  const struct {
    int code;
    const char* genre;
  } cases[] = {
      {0, "Blues"},      {1, "ClassicRock"}, {7, "Hip-Hop"},      {14, "R&B"},
      {17, "Rock"},      {29, "Jazz+Funk"},  {37, "SoundClip"},   {40, "AlternRock"},
      {60, "Top40"},     {62, "Pop/Funk"},   {67, "Psychadelic"}, {78, "Rock&Roll"},
      {79, "HardRock"},  {80, "Folk"},       {85, "Bebob"},       {92, "ProgessiveRock"},
      {123, "Acapella"}, {127, "Drum&Bass"}, {144, "TrashMetal"}, {145, "Anime"},
      {146, "JPop"},     {147, "Synthpop"},  {148, "kept"},       {255, "kept"},
  };
  for (const auto& c : cases) {
    Id3v1 tag;
    tag.genre = c.code;
    SongInfo preset;
    preset.genre = "kept";
    EXPECT_EQ(read(tag.bytes(), preset).info.genre, c.genre) << c.code;
  }
  for (const char* name : tags::id3v1Genres) {
    ASSERT_NE(name, nullptr);
    EXPECT_NE(std::strlen(name), 0u);
    EXPECT_EQ(std::strchr(name, ' '), nullptr) << name;
  }
}

TEST(Id3v1Tag, OnlyTheLast128BytesCount) {
  Id3v1 tag;
  tag.title = "t";
  SongInfo preset;
  preset.title = "kept";
  const struct {
    const char* what;
    std::string bytes;
    bool found;
  } cases[] = {
      {"tag alone", tag.bytes(), true},
      {"after audio", std::string(4000, '\x55') + tag.bytes(), true},
      {"one byte after the tag", tag.bytes() + "x", false},
      {"cut short", tag.bytes().substr(1), false},
      {"lower case magic", "tag" + tag.bytes().substr(3), false},
      {"empty", "", false},
      {"TAG alone", "TAG", false},
  };
  for (const auto& c : cases) {
    const Read r = read(c.bytes, preset);
    EXPECT_EQ(r.found, c.found) << c.what;
    EXPECT_EQ(r.info.title, c.found ? "t" : "kept") << c.what;
    // The probe agrees with the reader.
    tags::MemorySource source(c.bytes);
    EXPECT_EQ(tags::probeId3v1(source), c.found ? 128 : 0) << c.what;
  }
}

TEST(Id3v1Tag, ReadsThroughThePath) {
  testing_support::TempDir dir;
  Id3v1 tag;
  tag.title = "t";
  tag.artist = "a";
  const std::string path = dir.write("x.mp3", std::string(300, '\0') + tag.bytes());
  SongInfo info;
  EXPECT_TRUE(tags::readId3v1(path, info));
  EXPECT_EQ(info.title, "t");
  EXPECT_EQ(tags::probeId3v1(path), 128);
  // Without an ID3v2 title the dispatcher falls back to this tag.
  EXPECT_EQ(tags::readSongInfo(path), "t - a");
  EXPECT_FALSE(tags::readId3v1(dir.path() + "missing.mp3", info));
  EXPECT_EQ(tags::probeId3v1(dir.path() + "missing.mp3"), 0);
}

TEST(ProbeId3v2, LengthOfTheTagWithItsHeader) {
  const struct {
    std::string bytes;
    std::int32_t length;
  } cases[] = {
      {ByteBuilder().raw("ID3").bytes({3, 0, 0, 0, 0, 0, 0}), 10},
      {ByteBuilder().raw("ID3").bytes({3, 0, 0, 0, 0, 1, 0}), 138},
      {ByteBuilder().raw("ID3").bytes({4, 0, 0, 0, 1, 0, 0}), 16394},
      // Not masked, unlike the reader: 0x80 counts as 128.
      {ByteBuilder().raw("ID3").bytes({3, 0, 0, 0, 0, 0, 0x80}), 138},
      {ByteBuilder().raw("ID3").bytes({3, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}),
       (255 << 21) + (255 << 14) + (255 << 7) + 255 + 10},
      {ByteBuilder().raw("ID2").bytes({3, 0, 0, 0, 0, 0, 0}), 0},
      {"ID3", 0},
      {"", 0},
  };
  for (const auto& c : cases) {
    tags::MemorySource source(c.bytes);
    EXPECT_EQ(tags::probeId3v2(source), c.length) << c.length;
  }
  EXPECT_EQ(tags::probeId3v2("/no/such/file.mp3"), 0);
}

}  // namespace
