// The FLAC reader over metadata blocks built byte by byte.
#include "tags/flac.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/text.h"
#include "tags/field_limits.h"
#include "tests/support/byte_builder.h"
#include "tests/support/sparse_source.h"
#include "tests/support/temp_dir.h"

namespace {

using tags::SongInfo;
using testing_support::ByteBuilder;

std::string local(const char* utf8) { return platform::utf8ToLocal(utf8); }

enum BlockType { kStreamInfo = 0, kPadding = 1, kVorbisComment = 4, kPicture = 6 };

std::string block(int type, const std::string& body, bool last = false) {
  return ByteBuilder()
      .u8(static_cast<std::uint32_t>(type | (last ? 0x80 : 0)))
      .be24(static_cast<std::uint32_t>(body.size()))
      .raw(body)
      .str();
}

std::string streamInfo(std::uint32_t sampleRate, int channels, int bitsPerSample,
                       std::uint64_t totalSamples) {
  // 20 bits of rate, 3 of channels - 1, 5 of bits per sample - 1, 36 of total samples.
  const std::uint64_t fields = (std::uint64_t{sampleRate} << 44) |
                               (std::uint64_t(channels - 1) << 41) |
                               (std::uint64_t(bitsPerSample - 1) << 36) | totalSamples;
  return ByteBuilder()
      .be16(4096)
      .be16(4096)
      .be24(14)
      .be24(8000)
      .be32(static_cast<std::uint32_t>(fields >> 32))
      .be32(static_cast<std::uint32_t>(fields))
      .fill(16, 0xA5)  // MD5 signature
      .str();
}

std::string vorbisComment(const std::vector<std::string>& comments,
                          const std::string& vendor = "reference libFLAC 1.4.2 20221022") {
  ByteBuilder b;
  b.le32(static_cast<std::uint32_t>(vendor.size())).raw(vendor);
  b.le32(static_cast<std::uint32_t>(comments.size()));
  for (const auto& c : comments) b.le32(static_cast<std::uint32_t>(c.size())).raw(c);
  return b.str();
}

const std::string kFrames = ByteBuilder().bytes({0xFF, 0xF8, 0x69, 0x08}).fill(60, 0x5A).str();

std::string flacFile(const std::vector<std::string>& comments) {
  return "fLaC" + block(kStreamInfo, streamInfo(44100, 2, 16, 441000)) +
         block(kVorbisComment, vorbisComment(comments)) +
         block(kPadding, std::string(64, '\0'), true) + kFrames;
}

SongInfo read(const std::string& bytes, bool expected = true) {
  tags::MemorySource source(bytes);
  SongInfo info;
  EXPECT_EQ(tags::readFlacInfo(source, info), expected);
  return info;
}

TEST(FlacComments, NamesIgnoreCaseAndValuesRunToTheEndOfTheComment) {
  const struct {
    std::vector<std::string> comments;
    std::string SongInfo::*field;
    std::string expected;
  } cases[] = {
      {{"TITLE=Song"}, &SongInfo::title, "Song"},
      {{"Title=Capitalised"}, &SongInfo::title, "Capitalised"},
      {{"title=lower"}, &SongInfo::title, "lower"},
      {{"TrackNumber=3"}, &SongInfo::track, "3"},
      {{"TITLE=a=b"}, &SongInfo::title, "a=b"},
      {{"ARTIST=First", "artist=Second"}, &SongInfo::artist, "Second"},
      {{"TITLE=Gone", "TITLE="}, &SongInfo::title, ""},
      {{"TITLE"}, &SongInfo::title, ""},
      {{"=TITLE"}, &SongInfo::title, ""},
      {{"TITLE=\xE9\x82\x93\xE4\xB8\xBD\xE5\x90\x9B"}, &SongInfo::title, local("邓丽君")},
      {{"ALBUM=Al"}, &SongInfo::album, "Al"},
      {{"date=2001"}, &SongInfo::year, "2001"},
      {{"GENRE=Rock"}, &SongInfo::genre, "Rock"},
      {{"COMMENT=c"}, &SongInfo::comment, "c"},
      {{"LYRICS=la"}, &SongInfo::lyrics, "la"},
      {{"Url=http://x"}, &SongInfo::url, "http://x"},
      {{"COPYRIGHT=(c)"}, &SongInfo::copyright, "(c)"},
      {{"PERFORMER=p"}, &SongInfo::performer, ""},  // Vorbis-only fields
      {{"DESCRIPTION=d"}, &SongInfo::description, ""},
  };
  for (const auto& c : cases) {
    const SongInfo info = read(flacFile(c.comments));
    EXPECT_EQ(info.*c.field, c.expected) << c.comments.back();
    EXPECT_EQ(info.encoder, "Free Lossless Audio Codec(reference libFLAC 1.4.2 20221022)");
  }
}

TEST(FlacStreamInfo, BitFieldsDurationAndCompressionPercentage) {
  const struct {
    std::uint32_t sampleRate;
    int channels;
    int bitsPerSample;
    std::uint64_t totalSamples;
    std::size_t fileSize;
    const char* duration;
    const char* bitRate;
    const char* channelWord;
  } cases[] = {
      {44100, 2, 16, 441000, 1000000, "00:10", "57", "立体声"},  // 56.69 % of 1764000
      {48000, 1, 24, 48000 * 125, 3000000, "02:05", "17", "单声道"},
      {96000, 6, 24, 96000 * 3, 100000, "00:03", "2", "多声道"},
      {655350, 3, 32, 655350, 50000, "00:01", "1", "多声道"},  // 20-bit rate, 32 bits
      {44100, 8, 4, 44100, 88200, "00:01", "50", "多声道"},
      // All 36 bits of the sample count: 2^32 + 441000 samples.
      {44100, 2, 16, 0x100000000ull + 441000, 1000000, "1623:21", "0", "立体声"},
      // Nothing to divide by: no play time and no percentage.
      {0, 2, 16, 441000, 1000000, "", "", "立体声"},
      {44100, 2, 16, 0, 1000000, "", "", "立体声"},
  };
  for (const auto& c : cases) {
    std::string bytes =
        "fLaC" + block(kStreamInfo,
                       streamInfo(c.sampleRate, c.channels, c.bitsPerSample, c.totalSamples), true);
    bytes.resize(c.fileSize, '\x5A');
    const SongInfo info = read(bytes);
    EXPECT_EQ(info.duration, c.duration) << c.sampleRate << " " << c.totalSamples;
    EXPECT_EQ(info.bitRate, c.bitRate) << c.sampleRate << " " << c.totalSamples;
    EXPECT_EQ(info.sampleRate, std::to_string(c.sampleRate));
    EXPECT_EQ(info.channels, local(c.channelWord)) << c.channels;
  }
}

TEST(FlacBlockWalk, SkipsOtherBlocksAndStopsAfterTheLast) {
  const std::string bytes =
      "fLaC" + block(kVorbisComment, "") +  // length 0: its type is ignored
      block(kPicture, ByteBuilder().be32(3).be32(10).raw("image/jpeg").fill(3000, 0xD8).str()) +
      block(kStreamInfo, streamInfo(44100, 2, 16, 441000)) +
      block(kVorbisComment, vorbisComment({"TITLE=Shown", "ARTIST=Band"}), true) +
      block(kVorbisComment, vorbisComment({"TITLE=After the last block"})) + kFrames;
  const SongInfo info = read(bytes);
  EXPECT_EQ(info.title, "Shown");
  EXPECT_EQ(info.artist, "Band");
  EXPECT_EQ(info.sampleRate, "44100");
  EXPECT_TRUE(info.picture.empty());
}

TEST(FlacBlockWalk, AFileBehindAnId3v2TagIsNotRead) {
  const std::string id3 =
      ByteBuilder().raw("ID3").bytes({4, 0, 0}).syncsafe32(20).fill(20, 0).str();
  tags::MemorySource source(id3 + flacFile({"TITLE=Hidden"}));
  SongInfo info;
  info.title = "stale";
  EXPECT_FALSE(tags::readFlacInfo(source, info));
  EXPECT_EQ(info.title, "");
  EXPECT_EQ(info.sampleRate, "");
}

TEST(FlacBlockWalk, EndsAtTheFirstFrameOrTheFileWhenNoBlockIsMarkedLast) {
  // A frame's sync code begins with 0xFF, which reads as a header with the last-block bit.
  const std::string bytes = "fLaC" + block(kStreamInfo, streamInfo(44100, 2, 16, 441000)) +
                            block(kVorbisComment, vorbisComment({"TITLE=Tagged"})) +
                            ByteBuilder().bytes({0xFF, 0, 0, 0}).str() +
                            block(kVorbisComment, vorbisComment({"TITLE=Audio bytes"}));
  EXPECT_EQ(read(bytes).title, "Tagged");
  EXPECT_EQ(read("fLaC" + block(kVorbisComment, vorbisComment({"TITLE=Open"}))).title, "Open");
  // Zeros read as an empty STREAMINFO, which no file holds: the metadata has ended.
  EXPECT_EQ(read("fLaC" + block(kVorbisComment, vorbisComment({"TITLE=Tagged"})) +
                 std::string(8, '\0') + block(kVorbisComment, vorbisComment({"TITLE=Zeros"})))
                .title,
            "Tagged");
}

TEST(FlacHostileLengths, StayInsideTheirBlockAndTheFile) {
  // A comment that claims more than its block: it is cut at the block's end, and the walk
  // goes on with the block after it.
  const std::string overlong =
      ByteBuilder().le32(0).le32(2).le32(7).raw("TITLE=t").le32(1000).raw("ARTIST=a").str();
  SongInfo info = read("fLaC" + block(kVorbisComment, overlong) +
                       block(kStreamInfo, streamInfo(32000, 1, 16, 64000), true));
  EXPECT_EQ(info.title, "t");
  EXPECT_EQ(info.artist, "a");
  EXPECT_EQ(info.sampleRate, "32000");
  EXPECT_EQ(info.duration, "00:02");

  // Counts and lengths of 4 billion: what the file holds is read, and the loops end.
  info = read("fLaC" + block(kVorbisComment, ByteBuilder().le32(0xFFFFFFFF).str()));
  EXPECT_EQ(info.encoder, "Free Lossless Audio Codec()");
  info = read("fLaC" + block(kVorbisComment, ByteBuilder()
                                                 .le32(0)
                                                 .le32(0xFFFFFFFF)
                                                 .le32(7)
                                                 .raw("TITLE=t")
                                                 .le32(0xFFFFFFF0)
                                                 .raw("GENRE=cut")
                                                 .str()));
  EXPECT_EQ(info.title, "t");
  EXPECT_EQ(info.genre, "cut");
  // A value larger than a field may hold is passed over, and the comments after it count.
  info = read(flacFile({"TITLE=" + std::string(tags::kMaxTextBytes, 't'), "ARTIST=a"}));
  EXPECT_TRUE(info.title.empty());
  EXPECT_EQ(info.artist, "a");
  // A block length past the end of the file ends the walk.
  info = read(ByteBuilder().raw("fLaC").u8(kPicture).be24(0xFFFFFF).fill(10, 0).str());
  EXPECT_EQ(info.title, "");
}

TEST(FlacFiles, NotFlacMissingAndTruncated) {
  testing_support::TempDir dir;
  SongInfo info;
  info.title = "untouched";
  EXPECT_FALSE(tags::readFlacInfo(dir.path() + "missing.flac", info));
  EXPECT_EQ(info.title, "untouched");

  const std::string whole = flacFile({"TITLE=Whole", "ARTIST=Band"});
  EXPECT_TRUE(tags::readFlacInfo(dir.write("a.flac", whole), info));
  EXPECT_EQ(info.title + " - " + info.artist, "Whole - Band");

  for (std::size_t n = 0; n <= whole.size(); ++n) {
    tags::MemorySource source(whole.data(), n);
    EXPECT_EQ(tags::readFlacInfo(source, info), n >= 4) << n;
  }
}

TEST(FlacCost, OnlyTheMetadataIsReadWhateverTheFileOrPictureSize) {
  const std::string head = "fLaC" + block(kStreamInfo, streamInfo(44100, 2, 16, 441000)) +
                           block(kPicture, std::string(4'000'000, '\xD8')) +
                           block(kVorbisComment, vorbisComment({"TITLE=t"}), true);
  testing_support::SparseSource small(head, 5'000'000);
  testing_support::SparseSource large(head, 500'000'000);
  SongInfo info;
  EXPECT_TRUE(tags::readFlacInfo(small, info));
  EXPECT_TRUE(tags::readFlacInfo(large, info));
  EXPECT_EQ(info.title, "t");
  EXPECT_EQ(small.bytesRead, large.bytesRead);
  EXPECT_LT(large.bytesRead, 1000u);  // the picture is stepped over, not read
}

}  // namespace
