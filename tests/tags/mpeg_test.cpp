// The MPEG audio stream reader: frame search, header tables, constant-rate play time and
// the Xing, Info and VBRI headers, over frames built byte by byte.
#include "tags/mpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "tests/support/byte_builder.h"
#include "tests/support/sparse_source.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ByteBuilder;

// An ID3v2 header whose probe length is `length` (the probe adds 10 and does not mask).
std::string id3v2Tag(std::uint32_t length) {
  const std::uint32_t v = length - 10;
  return ByteBuilder()
      .raw("ID3")
      .bytes({3, 0, 0})
      .bytes({static_cast<int>(v >> 21), static_cast<int>((v >> 14) & 0x7F),
              static_cast<int>((v >> 7) & 0x7F), static_cast<int>(v & 0x7F)})
      .fill(length - 10, 0)
      .str();
}

std::string id3v1Tag() { return ByteBuilder().raw("TAG").fill(125, 0).str(); }

// MPEG 1 Layer III, 128 kbit/s, 44100 Hz, joint stereo: 417 bytes a frame, 418 padded.
const std::string kJointFrame = "\xFF\xFB\x90\x64";

std::string local(const char* utf8) { return platform::utf8ToLocal(utf8); }

tags::SongInfo read(tags::Source& source) {
  tags::SongInfo info;
  EXPECT_TRUE(tags::readMpegInfo(source, info));
  return info;
}

tags::SongInfo read(const std::string& bytes) {
  tags::MemorySource source(bytes);
  return read(source);
}

TEST(IsMpegFrameHeader, EachTestRejectsItsField) {
  const struct {
    const char* bytes;
    bool valid;
    const char* what;
  } cases[] = {
      {"\xFF\xFB\x90\x64", true, "MPEG 1 Layer III"},
      {"\xFF\xE3\x88\xC0", true, "MPEG 2.5 Layer III"},
      {"\xFF\xFF\xE8\x83", true, "Layer I, emphasis 3 is allowed"},
      {"\xFE\xFB\x90\x64", false, "first byte not 0xFF"},
      {"\xFF\xDB\x90\x64", false, "sync bits of the second byte"},
      {"\xFF\xEB\x90\x64", false, "reserved version"},
      {"\xFF\xF9\x90\x64", false, "reserved layer"},
      {"\xFF\xFB\x00\x64", false, "free-format bit rate"},
      {"\xFF\xFB\xF0\x64", false, "forbidden bit-rate index"},
      {"\xFF\xFB\x9C\x64", false, "reserved sampling rate"},
      {"\xFF\xFB\x90\x66", false, "reserved emphasis"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(tags::isMpegFrameHeader(reinterpret_cast<const std::uint8_t*>(c.bytes)), c.valid)
        << c.what;
}

TEST(ReadMpegInfo, ConstantRateFileAfterAnId3v2Tag) {
  // 4096-byte tag, then the first frame, 5,000,000 bytes in all: 312.244 s.
  testing_support::SparseSource file(id3v2Tag(4096) + kJointFrame, 5000000);
  const tags::SongInfo info = read(file);
  EXPECT_EQ(info.duration, "05:12");
  EXPECT_EQ(info.bitRate, "128");
  EXPECT_EQ(info.sampleRate, "44100");
  EXPECT_EQ(info.channels, local("立体声(Joint)"));
  EXPECT_EQ(info.encoder, "MPEG 1 Layer III");
}

TEST(ReadMpegInfo, AnId3v1TagIsLeftOutOfThePlayTime) {
  // 4,992,064 audio bytes are 312.004 s at 16,000 bytes a second; without the last 128
  // they are 311.996 s.
  const std::uint64_t size = 4096 + 4992064;
  testing_support::SparseSource plain(id3v2Tag(4096) + kJointFrame, size);
  testing_support::SparseSource tagged(id3v2Tag(4096) + kJointFrame, size, id3v1Tag());
  EXPECT_EQ(read(plain).duration, "05:12");
  EXPECT_EQ(read(tagged).duration, "05:11");
}

TEST(ReadMpegInfo, HeaderFieldsComeFromTheTables) {
  // No VBR header: bit rate from the table, play time from the 100,000-byte file.
  const struct {
    const char* header;
    const char* encoder;
    const char* bitRate;
    const char* sampleRate;
    const char* channels;
    const char* duration;
  } cases[] = {
      {"\xFF\xFB\x90\x64", "MPEG 1 Layer III", "128", "44100", "立体声(Joint)", "00:06"},
      {"\xFF\xFB\x18\x00", "MPEG 1 Layer III", "32", "32000", "立体声", "00:25"},
      {"\xFF\xFB\xE0\xC0", "MPEG 1 Layer III", "320", "44100", "单声道", "00:02"},
      {"\xFF\xFD\xE4\x00", "MPEG 1 Layer II", "384", "48000", "立体声", "00:02"},
      {"\xFF\xFD\x24\x80", "MPEG 1 Layer II", "48", "48000", "双通道", "00:16"},
      {"\xFF\xFF\xE8\x80", "MPEG 1 Layer I", "448", "32000", "双通道", "00:01"},
      {"\xFF\xFF\x10\x40", "MPEG 1 Layer I", "32", "44100", "立体声(Joint)", "00:25"},
      {"\xFF\xF3\xE0\xC0", "MPEG 2 Layer III", "160", "22050", "单声道", "00:05"},
      {"\xFF\xF5\x18\xC0", "MPEG 2 Layer II", "8", "16000", "单声道", "01:40"},
      {"\xFF\xF7\xE4\x00", "MPEG 2 Layer I", "256", "24000", "立体声", "00:03"},
      {"\xFF\xF7\x94\x00", "MPEG 2 Layer I", "144", "24000", "立体声", "00:05"},
      {"\xFF\xE3\x88\xC0", "MPEG 2.5 Layer III", "64", "8000", "单声道", "00:12"},
      {"\xFF\xE3\x10\x00", "MPEG 2.5 Layer III", "8", "11025", "立体声", "01:40"},
      {"\xFF\xE5\xA4\x40", "MPEG 2.5 Layer II", "96", "12000", "立体声(Joint)", "00:08"},
  };
  for (const auto& c : cases) {
    testing_support::SparseSource file(c.header, 100000);
    const tags::SongInfo info = read(file);
    EXPECT_EQ(info.encoder, c.encoder) << c.encoder << " " << c.bitRate;
    EXPECT_EQ(info.bitRate, c.bitRate) << c.encoder << " " << c.bitRate;
    EXPECT_EQ(info.sampleRate, c.sampleRate) << c.encoder << " " << c.bitRate;
    EXPECT_EQ(info.channels, local(c.channels)) << c.encoder << " " << c.bitRate;
    EXPECT_EQ(info.duration, c.duration) << c.encoder << " " << c.bitRate;
  }
}

// The first frame with a VBR header `at` bytes after its 4 header bytes.
std::string frameWithVbr(const std::string& header, std::size_t at, const std::string& vbr,
                         std::size_t fileSize = 100000) {
  ByteBuilder b;
  b.raw(header).fill(at, 0).raw(vbr);
  b.fill(fileSize - b.size(), 0);
  return b.str();
}

std::string xing(const char* magic, std::uint32_t frames, std::uint32_t bytes) {
  return ByteBuilder().raw(magic).be32(0x0F).be32(frames).be32(bytes).str();
}

std::string vbri(std::uint32_t frames, std::uint32_t bytes) {
  return ByteBuilder().raw("VBRI").be16(1).be16(0).be16(75).be32(bytes).be32(frames).str();
}

TEST(ReadMpegInfo, XingInfoAndVbriGiveTheAverageRateAndRealPlayTime) {
  // 10,000 frames and 5,000,000 bytes, no padding: 153.125 kbit/s and 261.22 s.
  const std::string headers[] = {xing("Xing", 10000, 5000000), xing("Info", 10000, 5000000),
                                 vbri(10000, 5000000)};
  for (const auto& vbr : headers) {
    const tags::SongInfo info = read(frameWithVbr(kJointFrame, 32, vbr));
    EXPECT_EQ(info.bitRate, "153") << vbr.substr(0, 4);
    EXPECT_EQ(info.duration, "04:21") << vbr.substr(0, 4);
    EXPECT_EQ(info.sampleRate, "44100");
    EXPECT_EQ(info.encoder, "MPEG 1 Layer III");
  }
}

TEST(ReadMpegInfo, VbrFormulasUseTheLayerFactorAndPaddingSize) {
  const struct {
    const char* header;
    std::uint32_t frames, bytes;
    const char* bitRate;
    const char* duration;
    const char* what;
  } cases[] = {
      // (3435 / 10) * 48000 / 144 / 1000 = 114.5: halves round away from zero.
      {"\xFF\xFB\x94\x00", 10, 3435, "115", "00:00", "MPEG 1 Layer III, half"},
      // Padded Layer III: one byte less per frame, (347.5 - 1) / 3 = 115.5.
      {"\xFF\xFB\x96\x00", 10, 3475, "116", "00:00", "MPEG 1 Layer III, padded"},
      // Padded Layer I: four bytes less, (104 - 4) * 48000 / 48 / 1000 = 100.
      {"\xFF\xFF\x96\x00", 10, 1040, "100", "00:00", "MPEG 1 Layer I, padded"},
      // 1000 frames of 1152 samples at 44100 Hz: 26.12 s.
      {"\xFF\xFD\x90\x00", 1000, 417000, "128", "00:26", "MPEG 1 Layer II"},
      // 1000 frames of 384 samples at 44100 Hz: 8.7 s.
      {"\xFF\xFF\x90\x00", 1000, 104000, "96", "00:08", "MPEG 1 Layer I"},
      // MPEG 2.5 Layer III: 576 samples a frame, 1000 frames at 8000 Hz are 72 s.
      {"\xFF\xE3\x88\xC0", 1000, 576000, "64", "01:12", "MPEG 2.5 Layer III"},
      // MPEG 2 Layer II keeps 1152 samples a frame: 1000 frames at 22050 Hz are 52.2 s.
      {"\xFF\xF5\x80\x00", 1000, 417000, "64", "00:52", "MPEG 2 Layer II"},
  };
  for (const auto& c : cases) {
    const tags::SongInfo info = read(frameWithVbr(c.header, 32, xing("Xing", c.frames, c.bytes)));
    EXPECT_EQ(info.bitRate, c.bitRate) << c.what;
    EXPECT_EQ(info.duration, c.duration) << c.what;
  }
}

TEST(ReadMpegInfo, AVbrHeaderCountingNoFramesKeepsTheConstantRateFigures) {
  for (const std::string& vbr : {xing("Xing", 0, 5000000), vbri(0, 5000000)}) {
    const tags::SongInfo info = read(frameWithVbr(kJointFrame, 32, vbr, 4096000));
    EXPECT_EQ(info.bitRate, "128") << vbr.substr(0, 4);
    EXPECT_EQ(info.duration, "04:16") << vbr.substr(0, 4);  // 4,096,000 bytes at 16,000 a second
  }
}

TEST(ReadMpegInfo, TheVbrHeaderIsLookedForOnlyInsideTheFirstFrame) {
  // A 417-byte frame: positions 0 to 416 after the header are looked at, 417 is not.
  EXPECT_EQ(read(frameWithVbr(kJointFrame, 416, xing("Xing", 10000, 5000000))).bitRate, "153");
  EXPECT_EQ(read(frameWithVbr(kJointFrame, 417, xing("Xing", 10000, 5000000))).bitRate, "128");
  // A padded frame is one byte longer.
  EXPECT_EQ(read(frameWithVbr("\xFF\xFB\x92\x64", 417, xing("Xing", 10000, 5000000))).bitRate,
            "153");
}

TEST(ReadMpegInfo, JunkBeforeTheFirstFrameIsSkippedUpTo2048Bytes) {
  // Free-format and forbidden-rate headers in the junk are not frames.
  const std::string junk = ByteBuilder().raw("\xFF\xFB\x00\x64\xFF\xFB\xF0\x64").str();
  const std::string head = id3v2Tag(100) + junk + std::string(2047 - junk.size(), '\0');
  const tags::SongInfo found = read(head + kJointFrame + std::string(20000, '\0'));
  EXPECT_EQ(found.bitRate, "128");
  EXPECT_EQ(found.duration, "00:01");

  tags::MemorySource late(head + std::string(1, '\0') + kJointFrame + std::string(20000, '\0'));
  tags::SongInfo info;
  info.duration = "12:34";
  info.channels = "old";
  info.encoder = "LAME";
  EXPECT_TRUE(tags::readMpegInfo(late, info));
  EXPECT_EQ(info.duration, "12:34");  // not found: the play time is left alone
  EXPECT_EQ(info.channels, "");
  EXPECT_EQ(info.bitRate, "0");
  EXPECT_EQ(info.sampleRate, "0");
  EXPECT_EQ(info.encoder, " ");
}

TEST(ReadMpegInfo, ShortAndEmptyFiles) {
  const tags::SongInfo empty = read(std::string());
  EXPECT_EQ(empty.bitRate, "0");
  EXPECT_EQ(empty.encoder, " ");
  // An ID3v2 tag claiming more than the file holds: nothing to search.
  const tags::SongInfo overlong =
      read(id3v2Tag(10).substr(0, 6) + "\x7F\x7F\x7F\x7F" + kJointFrame);
  EXPECT_EQ(overlong.bitRate, "0");
  // A lone frame header: no room for a frame, let alone a VBR header.
  const tags::SongInfo lone = read(kJointFrame);
  EXPECT_EQ(lone.bitRate, "128");
  EXPECT_EQ(lone.duration, "00:00");
}

TEST(ReadMpegInfo, ReadCostDoesNotGrowWithTheFile) {
  // Junk before the frame and a Xing header late in the frame: the search and the look
  // each cost one bulk read, whatever the file's size.
  const std::string head = id3v2Tag(3000) + std::string(2000, '\x55') + kJointFrame +
                           std::string(400, '\0') + xing("Xing", 10000, 5000000);
  testing_support::SparseSource small(head, 5ull * 1000 * 1000, id3v1Tag());
  testing_support::SparseSource huge(head, 500ull * 1000 * 1000, id3v1Tag());
  EXPECT_EQ(read(small).bitRate, "153");
  EXPECT_EQ(read(huge).bitRate, "153");
  EXPECT_EQ(small.reads, huge.reads);
  EXPECT_EQ(small.bytesRead, huge.bytesRead);
  EXPECT_LE(huge.reads, 6u);
  EXPECT_LT(huge.bytesRead, 8192u);
}

TEST(ReadMpegInfo, MissingFileStoresNothing) {
  testing_support::TempDir dir;
  tags::SongInfo info;
  info.encoder = "kept";
  EXPECT_FALSE(tags::readMpegInfo(dir.path() + "missing.mp3", info));
  EXPECT_EQ(info.encoder, "kept");
  EXPECT_EQ(info.bitRate, "");

  const std::string path =
      dir.write("one.mp3", id3v2Tag(4096) + kJointFrame + std::string(160000, '\0'));
  EXPECT_TRUE(tags::readMpegInfo(path, info));
  EXPECT_EQ(info.duration, "00:10");
  EXPECT_EQ(info.encoder, "MPEG 1 Layer III");
}

}  // namespace
