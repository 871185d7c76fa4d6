// The Monkey's Audio header (old and descriptor layouts) and the APEv2 tag, over files
// built byte by byte.
#include "tags/ape.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/support/byte_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ByteBuilder;

struct NewHeader {
  std::uint16_t version = 3990;
  std::uint16_t compressionLevel = 2000;
  std::uint32_t blocksPerFrame = 73728;
  std::uint32_t finalFrameBlocks = 1000;
  std::uint32_t totalFrames = 10;
  std::uint16_t bitsPerSample = 16;
  std::uint16_t channels = 2;
  std::uint32_t sampleRate = 44100;
};

// Descriptor layout (3.98 and later): the header proper starts 52 bytes in.
std::string newHeader(const NewHeader& h) {
  return ByteBuilder()
      .raw("MAC ")
      .le16(h.version)
      .le16(0)
      .le32(52)  // descriptor bytes; the reader does not need them
      .fill(40, 0)
      .le16(h.compressionLevel)
      .le16(0)  // format flags
      .le32(h.blocksPerFrame)
      .le32(h.finalFrameBlocks)
      .le32(h.totalFrames)
      .le16(h.bitsPerSample)
      .le16(h.channels)
      .le32(h.sampleRate)
      .str();
}

// Old layout (before 3.98).
std::string oldHeader(std::uint16_t version, std::uint16_t compressionLevel, std::uint16_t channels,
                      std::uint32_t sampleRate, std::uint32_t totalFrames,
                      std::uint32_t finalFrameBlocks) {
  return ByteBuilder()
      .raw("MAC ")
      .le16(version)
      .le16(compressionLevel)
      .le16(0)  // format flags
      .le16(channels)
      .le32(sampleRate)
      .le32(44)  // WAVE header bytes
      .le32(0)   // terminating bytes
      .le32(totalFrames)
      .le32(finalFrameBlocks)
      .str();
}

std::string item(const std::string& key, const std::string& value, std::uint32_t flags = 0) {
  return ByteBuilder()
      .le32(static_cast<std::uint32_t>(value.size()))
      .le32(flags)
      .raw(key)
      .u8(0)
      .raw(value)
      .str();
}

std::string footer(std::uint32_t tagSize, std::uint32_t itemCount = 0) {
  return ByteBuilder()
      .raw("APETAGEX")
      .le32(2000)
      .le32(tagSize)
      .le32(itemCount)
      .le32(0)
      .fill(8, 0)
      .str();
}

// Items and footer, with the optional header in front that the tag size does not count.
std::string apeTag(const std::string& items) {
  const auto size = static_cast<std::uint32_t>(items.size() + 32);
  return ByteBuilder()
      .raw("APETAGEX")
      .le32(2000)
      .le32(size)
      .le32(0)
      .le32(0xA0000000u)
      .fill(8, 0)
      .raw(items)
      .raw(footer(size))
      .str();
}

std::string id3v1Tag() { return ByteBuilder().raw("TAG").fill(125, 0).str(); }

std::string local(const char* utf8) { return platform::utf8ToLocal(utf8); }

struct Result {
  bool tagFound;
  tags::SongInfo info;
};

Result read(const std::string& bytes) {
  tags::MemorySource source(bytes);
  Result r;
  r.tagFound = tags::readApeInfo(source, r.info);
  return r;
}

TEST(ApeHeader, DescriptorLayoutGivesTheStreamFacts) {
  // 9 full frames of 73728 blocks and 1000 more: 664,552 blocks at 44100 Hz, 15 s.
  NewHeader h;
  h.bitsPerSample = 24;
  h.channels = 1;
  const Result r = read(newHeader(h) + std::string(1000, '\x11'));
  EXPECT_FALSE(r.tagFound);
  EXPECT_EQ(r.info.duration, "00:15");
  EXPECT_EQ(r.info.sampleRate, "44100");
  EXPECT_EQ(r.info.bitRate, "24");
  EXPECT_EQ(r.info.channels, local("单声道"));
  EXPECT_EQ(r.info.encoder, "Monkey's Audio 3.99");
  EXPECT_EQ(r.info.title, "");
}

TEST(ApeHeader, OldLayoutBlocksPerFrameFollowVersionAndCompression) {
  // Two frames, the last one empty, at 1 Hz: the play time in seconds is the frame size.
  const struct {
    std::uint16_t version, level;
    const char* duration;  // 294912 s, 73728 s or 9216 s
    const char* encoder;
  } cases[] = {
      {3979, 1000, "4915:12", "Monkey's Audio 3.979"},
      {3960, 2000, "4915:12", "Monkey's Audio 3.96"},
      {3950, 2000, "4915:12", "Monkey's Audio 3.95"},
      {3949, 2000, "1228:48", "Monkey's Audio 3.949"},
      {3920, 2000, "1228:48", "Monkey's Audio 3.92"},
      {3900, 5000, "1228:48", "Monkey's Audio 3.9"},
      {3899, 4000, "1228:48", "Monkey's Audio 3.899"},
      {3850, 4000, "1228:48", "Monkey's Audio 3.85"},
      {3850, 3000, "153:36", "Monkey's Audio 3.85"},
      {3800, 4000, "1228:48", "Monkey's Audio 3.8"},
      {3800, 5000, "153:36", "Monkey's Audio 3.8"},
      {3790, 4000, "153:36", "Monkey's Audio 3.79"},
      {3000, 1000, "153:36", "Monkey's Audio 3"},
  };
  for (const auto& c : cases) {
    const Result r = read(oldHeader(c.version, c.level, 2, 1, 2, 0));
    EXPECT_EQ(r.info.duration, c.duration) << c.version << " " << c.level;
    EXPECT_EQ(r.info.encoder, c.encoder) << c.version;
    EXPECT_EQ(r.info.bitRate, "0") << c.version;  // the old header has no sample size
    EXPECT_EQ(r.info.sampleRate, "1");
    EXPECT_EQ(r.info.channels, local("立体声"));
  }
  // 3.98 is the first version with the descriptor.
  NewHeader h;
  h.version = 3980;
  h.blocksPerFrame = 4;
  h.totalFrames = 3;
  h.finalFrameBlocks = 2;
  h.sampleRate = 1;
  EXPECT_EQ(read(newHeader(h)).info.duration, "00:10");
}

TEST(ApeHeader, EncoderTextIsTheVersionInThousandths) {
  const struct {
    std::uint16_t version;
    const char* text;
  } cases[] = {
      {3990, "Monkey's Audio 3.99"}, {4000, "Monkey's Audio 4"},
      {3800, "Monkey's Audio 3.8"},  {3995, "Monkey's Audio 3.995"},
      {1010, "Monkey's Audio 1.01"}, {5, "Monkey's Audio 0.005"},
      {0, "Monkey's Audio 0"},       {65535, "Monkey's Audio 65.535"},
  };
  for (const auto& c : cases) EXPECT_EQ(tags::monkeysAudioEncoder(c.version), c.text);
}

TEST(ApeHeader, ChannelsAndDegenerateCounts) {
  NewHeader six;
  six.channels = 6;
  EXPECT_EQ(read(newHeader(six)).info.channels, "");
  NewHeader stereo;
  EXPECT_EQ(read(newHeader(stereo)).info.channels, local("立体声"));

  // No frames, or no sampling rate: no play time rather than a negative or divided one.
  NewHeader noFrames;
  noFrames.totalFrames = 0;
  NewHeader noRate;
  noRate.sampleRate = 0;
  NewHeader negative;
  negative.totalFrames = 0x80000000u;
  for (const NewHeader& h : {noFrames, noRate, negative}) {
    const Result r = read(newHeader(h));
    EXPECT_EQ(r.info.duration, "00:00") << h.totalFrames << " " << h.sampleRate;
    EXPECT_EQ(r.info.encoder, "Monkey's Audio 3.99");
  }
  EXPECT_EQ(read(newHeader(noRate)).info.sampleRate, "0");
  NewHeader huge;
  huge.totalFrames = 0x7FFFFFFF;
  huge.blocksPerFrame = 0x7FFFFFFF;
  huge.sampleRate = 1;
  EXPECT_EQ(read(newHeader(huge)).info.duration, "35791394:07");  // the largest time there is
}

TEST(ApeHeader, TruncatedHeaderReadsZeros) {
  NewHeader h;
  const Result r = read(newHeader(h).substr(0, 60));  // cut after blocks per frame
  EXPECT_EQ(r.info.encoder, "Monkey's Audio 3.99");
  EXPECT_EQ(r.info.duration, "00:00");
  EXPECT_EQ(r.info.sampleRate, "0");
  EXPECT_EQ(r.info.bitRate, "0");
  EXPECT_EQ(r.info.channels, "");
  // Not "MAC": nothing of the stream is stored.
  const Result other = read("MAX " + newHeader(h).substr(4));
  EXPECT_EQ(other.info.encoder, "");
  EXPECT_EQ(other.info.duration, "");
}

TEST(ApeHeader, IsLookedForRightAfterAnId3v2Tag) {
  // Size bytes 00 00 01 00: a 138-byte tag.
  const std::string id3 = ByteBuilder().raw("ID3").bytes({3, 0, 0, 0, 0, 1, 0}).fill(128, 0).str();
  NewHeader h;
  EXPECT_EQ(read(id3 + newHeader(h)).info.duration, "00:15");
  EXPECT_EQ(read(id3 + std::string(10, '\0') + newHeader(h)).info.duration, "");
  EXPECT_EQ(read(newHeader(h) + id3).info.duration, "00:15");
}

TEST(ApeTag, FooterAtTheEndOrBeforeAnId3v1Tag) {
  const std::string tag = apeTag(item("Title", "Song") + item("Artist", "Singer"));
  NewHeader h;
  const std::string audio = newHeader(h) + std::string(500, '\x22');
  for (const std::string& file : {audio + tag, audio + tag + id3v1Tag()}) {
    const Result r = read(file);
    EXPECT_TRUE(r.tagFound);
    EXPECT_EQ(r.info.title, "Song");
    EXPECT_EQ(r.info.artist, "Singer");
    EXPECT_EQ(r.info.duration, "00:15");
  }
  // An MP3 file: the stream reader's business is not touched.
  const Result mp3 = read("\xFF\xFB\x90\x64" + std::string(400, '\0') + tag + id3v1Tag());
  EXPECT_TRUE(mp3.tagFound);
  EXPECT_EQ(mp3.info.title, "Song");
  EXPECT_EQ(mp3.info.encoder, "");
  // The tag moved one byte away from where the footer belongs is no tag.
  EXPECT_FALSE(read(audio + tag + "x").tagFound);
  EXPECT_FALSE(read(audio + tag + std::string(127, '\0')).tagFound);
}

TEST(ApeTag, EveryKeyFillsItsField) {
  const std::string items = item("Year", "2024") + item("Album", "Disc") +
                            item("Artist", "Singer") + item("Copyright", "(c) Label") +
                            item("Comment", "note") + item("Genre", "Pop") + item("Title", "Song") +
                            item("Track", "3/12") + item("Lyrics", "la la la") +
                            item("Composer", "not read") + item("Album Artist", "Various");
  const Result r = read(apeTag(items));
  EXPECT_TRUE(r.tagFound);
  EXPECT_EQ(r.info.year, "2024");
  EXPECT_EQ(r.info.album, "Disc");
  EXPECT_EQ(r.info.artist, "Singer");
  EXPECT_EQ(r.info.copyright, "(c) Label");
  EXPECT_EQ(r.info.comment, "note");
  EXPECT_EQ(r.info.genre, "Pop");
  EXPECT_EQ(r.info.title, "Song");
  EXPECT_EQ(r.info.track, "3/12");
  EXPECT_EQ(r.info.lyrics, "la la la");
  EXPECT_EQ(r.info.composer, "");
}

TEST(ApeTag, ItemsAreWalkedAndKeysComparedWhole) {
  // Alphabetical order puts "Album Artist" first; its key ends in the bytes of "Artist".
  const Result r = read(apeTag(item("Album Artist", "Various Artists") + item("Artist", "Singer") +
                               item("Subtitle", "Live") + item("Title", "Song")));
  EXPECT_EQ(r.info.artist, "Singer");
  EXPECT_EQ(r.info.title, "Song");
  // A value that holds the bytes of a key is not a key.
  const Result inValue =
      read(apeTag(item("Comment", std::string("x\0\0\0\0\0\0\0\0Title\0y", 15))));
  EXPECT_EQ(inValue.info.title, "");
}

TEST(ApeTag, KeysIgnoreAsciiCaseAndTheFirstItemWins) {
  const Result r = read(apeTag(item("TITLE", "Upper") + item("Title", "Second") +
                               item("artist", "lower") + item("ALBUM", "Disc")));
  EXPECT_EQ(r.info.title, "Upper");
  EXPECT_EQ(r.info.artist, "lower");
  EXPECT_EQ(r.info.album, "Disc");
}

TEST(ApeTag, TextValuesAreUtf8ButTheYearStaysAsWritten) {
  const std::string title = u8"标题";
  const std::string year = u8"２０２４年";
  const Result r = read(apeTag(item("Title", title) + item("Year", year) +
                               item("Artist", std::string("Sing\0er", 7)) + item("Album", "")));
  EXPECT_EQ(r.info.title, local(u8"标题"));
  EXPECT_NE(r.info.title, title);  // really converted: GB18030 bytes, not UTF-8
  EXPECT_EQ(r.info.year, year);    // raw bytes
  EXPECT_EQ(r.info.artist, "Sing");
  EXPECT_EQ(r.info.album, "");
}

TEST(ApeTag, CoverPictureIsTheBytesAfterTheFileName) {
  const std::string image("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11);
  const Result r =
      read(apeTag(item("Cover Art (Front)", "front.jpg" + std::string(1, '\0') + image, 2) +
                  item("cover art (back)", std::string("b.jpg\0BACK", 10), 2)));
  EXPECT_EQ(std::string(r.info.picture.begin(), r.info.picture.end()), image);
  // A value without a file name's NUL holds no picture.
  EXPECT_TRUE(read(apeTag(item("Cover Art (Front)", "noname", 2))).info.picture.empty());
}

TEST(ApeTag, ALengthPastTheItemAreaEndsTheWalk) {
  const std::string broken = ByteBuilder().le32(1000).le32(0).raw("Artist").u8(0).raw("Sing").str();
  const Result r = read(apeTag(item("Title", "Song") + broken + item("Album", "Disc")));
  EXPECT_TRUE(r.tagFound);
  EXPECT_EQ(r.info.title, "Song");
  EXPECT_EQ(r.info.artist, "");
  EXPECT_EQ(r.info.album, "");
  // A key that never ends, and a length of 4 GiB.
  const std::string endless = ByteBuilder().le32(1).le32(0).raw("Title").str();
  EXPECT_EQ(read(apeTag(item("Year", "1999") + endless)).info.year, "1999");
  const std::string giant = ByteBuilder().le32(0xFFFFFFFFu).le32(0).raw("Title").u8(0).str();
  EXPECT_EQ(read(apeTag(giant + item("Year", "1999"))).info.title, "");
  // Keys are 2 to 255 characters: an empty key (zeros, where the tag claims items) ends it.
  EXPECT_EQ(read(apeTag(item("", "x") + item("Title", "Song"))).info.title, "");
  EXPECT_EQ(read(apeTag(item(std::string(256, 'k'), "x") + item("Title", "Song"))).info.title, "");
  EXPECT_EQ(read(apeTag(item(std::string(255, 'k'), "x") + item("Title", "Song"))).info.title,
            "Song");
}

TEST(ApeTag, ApeTagSizeMustFitTheFile) {
  const std::string items = item("Title", "Song");
  // 32 or less (even negative): an empty item area, but still a tag.
  for (std::uint32_t size : {32u, 0u, 5u, 0x80000000u}) {
    const Result r = read(items + footer(size));
    EXPECT_TRUE(r.tagFound) << size;
    EXPECT_EQ(r.info.title, "") << size;
  }
  // Exactly the file in front of the footer, and larger than the file: a tag the file
  // cannot hold is damaged, and no item is looked for.
  for (std::uint32_t size : {static_cast<std::uint32_t>(items.size() + 32), 0x7FFFFFFFu,
                             static_cast<std::uint32_t>(items.size() + 33)}) {
    const Result r = read(items + footer(size));
    EXPECT_TRUE(r.tagFound) << size;
    EXPECT_EQ(r.info.title, size == items.size() + 32 ? "Song" : "") << size;
  }
  // A file too short to hold a footer before its ID3v1 tag.
  EXPECT_FALSE(read("APETAGEX" + id3v1Tag()).tagFound);
  EXPECT_FALSE(read("").tagFound);
}

TEST(ReadApeInfo, ResetsTheRecordOfAnExistingFileOnly) {
  testing_support::TempDir dir;
  tags::SongInfo info;
  info.title = "kept";
  info.trackIndex = "7";
  EXPECT_FALSE(tags::readApeInfo(dir.path() + "missing.ape", info));
  EXPECT_EQ(info.title, "kept");

  info.url = "http://old";
  EXPECT_FALSE(tags::readApeInfo(dir.write("plain.mp3", std::string(300, '\0')), info));
  EXPECT_EQ(info.title, "");
  EXPECT_EQ(info.url, "");
  EXPECT_EQ(info.trackIndex, "7");

  NewHeader h;
  const std::string path = dir.write(
      "song.ape", newHeader(h) + std::string(70000, '\x33') + apeTag(item("Title", "Song")));
  EXPECT_TRUE(tags::readApeInfo(path, info));
  EXPECT_EQ(info.title, "Song");
  EXPECT_EQ(info.duration, "00:15");
  EXPECT_EQ(tags::readSongInfo(path), "Song - ");
}

}  // namespace
