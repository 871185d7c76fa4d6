// The Ogg Vorbis reader over pages built byte by byte.
#include "tags/ogg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/text.h"
#include "tests/support/byte_builder.h"
#include "tests/support/sparse_source.h"
#include "tests/support/temp_dir.h"

namespace {

using tags::SongInfo;
using testing_support::ByteBuilder;

std::string local(const char* utf8) { return platform::utf8ToLocal(utf8); }

// Lays packets out in pages as an Ogg muxer does: a packet's lacing values go in runs of at
// most `maxSegments` per page, and the pages after the first are marked as continuing it.
class OggBuilder {
 public:
  OggBuilder& packet(const std::string& data, int flags = 0, std::uint64_t granule = 0,
                     std::size_t maxSegments = 255) {
    std::vector<int> lacing(data.size() / 255, 255);
    lacing.push_back(static_cast<int>(data.size() % 255));
    std::size_t at = 0;
    for (std::size_t first = 0; first < lacing.size(); first += maxSegments) {
      const std::size_t count = std::min(maxSegments, lacing.size() - first);
      const bool lastPage = first + count == lacing.size();
      ByteBuilder page;
      page.raw("OggS").u8(0).u8(first == 0 ? flags : 1);
      page.le64(lastPage ? granule : ~std::uint64_t{0}).le32(serial).le32(sequence_++).le32(0);
      page.u8(static_cast<std::uint32_t>(count));
      std::size_t payload = 0;
      for (std::size_t i = first; i < first + count; ++i) {
        page.u8(static_cast<std::uint32_t>(lacing[i]));
        payload += static_cast<std::size_t>(lacing[i]);
      }
      page.raw(data.substr(at, payload));
      at += payload;
      bytes_ += page.str();
    }
    return *this;
  }
  // Several whole packets on one page, as encoders put the comment and setup headers.
  OggBuilder& page(const std::vector<std::string>& packets, int flags = 0) {
    ByteBuilder lacing;
    std::string payload;
    for (const auto& p : packets) {
      lacing.fill(p.size() / 255, 255).u8(static_cast<std::uint32_t>(p.size() % 255));
      payload += p;
    }
    bytes_ += ByteBuilder()
                  .raw("OggS")
                  .u8(0)
                  .u8(static_cast<std::uint32_t>(flags))
                  .le64(0)
                  .le32(serial)
                  .le32(sequence_++)
                  .le32(0)
                  .u8(static_cast<std::uint32_t>(lacing.size()))
                  .raw(lacing.str())
                  .raw(payload)
                  .str();
    return *this;
  }
  OggBuilder& raw(const std::string& data) {
    bytes_ += data;
    return *this;
  }
  const std::string& str() const { return bytes_; }

  std::uint32_t serial = 0x4C595256;

 private:
  std::string bytes_;
  std::uint32_t sequence_ = 0;
};

std::string identification(int channels, std::uint32_t sampleRate) {
  return ByteBuilder()
      .bytes({1})
      .raw("vorbis")
      .le32(0)
      .u8(static_cast<std::uint32_t>(channels))
      .le32(sampleRate)
      .le32(0)
      .le32(128000)
      .le32(0)
      .u8(0xB8)
      .u8(1)
      .str();
}

std::string commentHeader(const std::vector<std::string>& comments,
                          const std::string& vendor = "Xiph.Org libVorbis I 20200704") {
  ByteBuilder b;
  b.bytes({3}).raw("vorbis").le32(static_cast<std::uint32_t>(vendor.size())).raw(vendor);
  b.le32(static_cast<std::uint32_t>(comments.size()));
  for (const auto& c : comments) b.le32(static_cast<std::uint32_t>(c.size())).raw(c);
  return b.u8(1).str();
}

const std::string kSetup = ByteBuilder().bytes({5}).raw("vorbis").fill(40, 0x42).str();

// A whole Vorbis file: identification, comments, setup, then one audio page that ends the
// stream with `granule` samples.
std::string vorbisFile(const std::vector<std::string>& comments, int channels = 2,
                       std::uint32_t sampleRate = 44100, std::uint64_t granule = 441000,
                       std::size_t audioBytes = 100) {
  OggBuilder ogg;
  ogg.packet(identification(channels, sampleRate), 2);
  ogg.page({commentHeader(comments), kSetup});
  ogg.packet(std::string(audioBytes, '\x11'), 4, granule);
  return ogg.str();
}

SongInfo read(const std::string& bytes) {
  tags::MemorySource source(bytes);
  SongInfo info;
  EXPECT_TRUE(tags::readOggInfo(source, info));
  return info;
}

TEST(OggComments, NamesIgnoreCaseValuesEndAtTheNextEqualsSignAndTheLastWins) {
  const std::string longName = "METADATA_BLOCK_PICTURE=" + std::string(5000, 'Q');
  const struct {
    std::vector<std::string> comments;
    std::string SongInfo::*field;
    std::string expected;
  } cases[] = {
      {{"TITLE=Song"}, &SongInfo::title, "Song"},
      {{"ARTIST=A=B"}, &SongInfo::artist, "A"},
      {{"ARTIST=First", "ARTIST=Second"}, &SongInfo::artist, "Second"},
      {{"artist=lower"}, &SongInfo::artist, "lower"},
      {{"Artist=Mixed", "aRtIsT=Odd"}, &SongInfo::artist, "Odd"},
      {{"TITLE=Kept", "TITLE="}, &SongInfo::title, "Kept"},
      {{"TITLE"}, &SongInfo::title, ""},
      {{"=TITLE=x"}, &SongInfo::title, ""},
      {{"TITLES=x", "TITL=y"}, &SongInfo::title, ""},
      {{longName, "TITLE=After a long comment"}, &SongInfo::title, "After a long comment"},
      {{"title=\xE6\x9C\x88\xE4\xBA\xAE"}, &SongInfo::title, local("月亮")},
      {{"album=Al"}, &SongInfo::album, "Al"},
      {{"TRACKNUMBER=7/12"}, &SongInfo::track, "7/12"},
      {{"DATE=1999"}, &SongInfo::year, "1999"},
      {{"GENRE=Pop"}, &SongInfo::genre, "Pop"},
      {{"COMMENT=c"}, &SongInfo::comment, "c"},
      {{"PERFORMER=p"}, &SongInfo::performer, "p"},
      {{"description=d"}, &SongInfo::description, "d"},
      {{"LYRICS=la la"}, &SongInfo::lyrics, "la la"},
      {{"URL=http://x"}, &SongInfo::url, ""},  // not a Vorbis field of this reader
      {{"COPYRIGHT=c"}, &SongInfo::copyright, ""},
  };
  for (const auto& c : cases) {
    const SongInfo info = read(vorbisFile(c.comments));
    EXPECT_EQ(info.*c.field, c.expected) << c.comments.back().substr(0, 40);
    EXPECT_EQ(info.encoder, "Vorbis(Xiph.Org libVorbis I 20200704)");
  }
}

TEST(OggHeaders, ChannelWordsAndSampleRate) {
  const struct {
    int channels;
    const char* word;
  } cases[] = {
      {1, "单声道"},  {2, "立体声"}, {3, "3通道"}, {4, "4通道"},
      {5, "5.1通道"}, {6, "未知"},   {8, "未知"},  {0, "未知"},
  };
  for (const auto& c : cases) {
    const SongInfo info = read(vorbisFile({}, c.channels, 48000));
    EXPECT_EQ(info.channels, local(c.word)) << c.channels;
    EXPECT_EQ(info.sampleRate, "48000");
  }
}

// A file of exactly `size` bytes whose last page (header type `flags`) starts `distance`
// bytes before the end; zeros fill the gap in between.
std::string fileWithLastPage(std::size_t size, int flags, std::uint64_t granule,
                             std::uint32_t sampleRate, std::size_t distance) {
  OggBuilder ogg;
  ogg.packet(identification(2, sampleRate), 2).packet(commentHeader({"TITLE=t"}));
  const std::string last = OggBuilder().packet(std::string(20, '\x22'), flags, granule).str();
  std::string bytes = ogg.str();
  bytes += std::string(size - bytes.size() - distance, '\0');
  bytes += last;
  bytes += std::string(distance - last.size(), '\0');
  return bytes;
}

TEST(OggStreamScan, DurationAndAverageBitRateFromTheLastPage) {
  const std::size_t lastPageSize = 27 + 1 + 20;
  const struct {
    const char* what;
    std::size_t size;
    int flags;
    std::uint64_t granule;
    std::uint32_t sampleRate;
    std::size_t distance;
    const char* duration;
    const char* bitRate;
  } cases[] = {
      {"10 s, 160000 bytes", 160000, 4, 441000, 44100, lastPageSize, "00:10", "128"},
      {"ms rounded before dividing", 100000, 4, 1000, 44100, lastPageSize, "00:00", "34783"},
      {"end of stream and continued", 160000, 5, 441000, 44100, lastPageSize, "", ""},
      {"first and last", 160000, 6, 441000, 44100, lastPageSize, "", ""},
      {"not the last page", 160000, 0, 441000, 44100, lastPageSize, "", ""},
      {"last window", 160000, 4, 441000, 44100, 12504, "00:10", "128"},
      {"one byte too far back", 160000, 4, 441000, 44100, 12505, "", ""},
      {"zero sample rate", 160000, 4, 441000, 0, lastPageSize, "0", "0"},
      {"zero granule", 160000, 4, 0, 44100, lastPageSize, "", ""},
      {"granule taken as 32 bits", 160000, 4, 0x100000000ull + 441000, 44100, lastPageSize, "00:10",
       "128"},
      {"negative as 32 bits", 160000, 4, 0x80000000ull, 44100, lastPageSize, "", ""},
  };
  for (const auto& c : cases) {
    const std::string bytes =
        fileWithLastPage(c.size, c.flags, c.granule, c.sampleRate, c.distance);
    ASSERT_EQ(bytes.size(), c.size) << c.what;
    const SongInfo info = read(bytes);
    EXPECT_EQ(info.duration, c.duration) << c.what;
    EXPECT_EQ(info.bitRate, c.bitRate) << c.what;
    EXPECT_EQ(info.title, "t") << c.what;
  }
}

TEST(OggStreamScan, APageCutShortAtTheEndReadsTheMissingBytesAsZero) {
  // "OggS", version, flags 4 and only two granule bytes: 0x2710 = 10000 samples.
  std::string bytes = vorbisFile({}, 2, 1000, 0);
  bytes += ByteBuilder().raw("OggS").u8(0).u8(4).le16(10000).str();
  EXPECT_EQ(read(bytes).duration, "00:10");
}

TEST(OggStreamScan, OtherCodecsGetOnlyTheStreamFacts) {
  OggBuilder ogg;
  ogg.packet(ByteBuilder().raw("OpusHead").u8(1).u8(2).fill(9, 0).str(), 2);
  ogg.packet(ByteBuilder().raw("OpusTags").le32(0).le32(0).str());
  ogg.packet(std::string(50, '\x33'), 4, 96000);
  tags::MemorySource source(ogg.str());
  SongInfo info;
  info.title = "stale";
  EXPECT_TRUE(tags::readOggInfo(source, info));
  EXPECT_EQ(info.title, "");
  EXPECT_EQ(info.channels, "");
  EXPECT_EQ(info.sampleRate, "");
  EXPECT_EQ(info.encoder, "");
  EXPECT_EQ(info.duration, "0");  // no sample rate to divide by
  EXPECT_EQ(info.bitRate, "0");
}

// The comment header laid over pages of `maxSegments` lacing values each, so that lengths,
// names and values are cut by page headers at every possible place.
TEST(OggCommentPacket, IsGatheredFromItsSegmentsAcrossPages) {
  const std::string picture = "METADATA_BLOCK_PICTURE=" + std::string(70000, 'P');
  const std::vector<std::string> comments = {picture, "TITLE=Cover first", "ARTIST=\xE6\x9C\x88",
                                             "ALBUM=Split"};
  for (std::size_t maxSegments : {1u, 2u, 7u, 255u}) {
    OggBuilder ogg;
    ogg.packet(identification(2, 44100), 2);
    ogg.packet(commentHeader(comments), 0, 0, maxSegments);
    ogg.packet(kSetup);
    ogg.packet(std::string(100, '\x11'), 4, 441000);
    const SongInfo info = read(ogg.str());
    EXPECT_EQ(info.title, "Cover first") << maxSegments;
    EXPECT_EQ(info.artist, local("月")) << maxSegments;
    EXPECT_EQ(info.album, "Split") << maxSegments;
    EXPECT_EQ(info.duration, "00:10") << maxSegments;
  }
}

TEST(OggCommentPacket, EndsWhereTheNextPageDoesNotContinueIt) {
  const std::string header = commentHeader({"COMMENT=" + std::string(600, 'c'), "TITLE=late"});
  // The same first 3 segments, then a page that starts a new packet (flags 0) or belongs to
  // another stream: the rest is not part of the comment header.
  for (const bool otherStream : {false, true}) {
    OggBuilder first;
    first.packet(identification(2, 44100), 2);
    std::string bytes = first.str();
    OggBuilder split;
    split.packet(header, 0, 0, 2);
    std::string pages = split.str();
    const std::size_t second = pages.find("OggS", 4);
    ASSERT_NE(second, std::string::npos);
    if (otherStream)
      pages[second + 14] ^= 0x55;
    else
      pages[second + 5] = 0;
    bytes += pages;
    const SongInfo info = read(bytes);
    EXPECT_EQ(info.title, "") << otherStream;
    // The value is cut where the packet was cut, with no header bytes taken for comment data.
    EXPECT_GT(info.comment.size(), 400u) << otherStream;
    EXPECT_EQ(info.comment, std::string(info.comment.size(), 'c')) << otherStream;
  }
}

TEST(OggHostileLengths, AreClampedToTheFileAndEndTheirLoops) {
  const auto file = [](const std::string& comments) {
    OggBuilder ogg;
    ogg.packet(identification(2, 44100), 2).packet(comments);
    return ogg.str();
  };
  const std::string head = ByteBuilder().bytes({3}).raw("vorbis").str();
  // A vendor length of 4 GiB: the vendor is what the file holds, and nothing else is read.
  SongInfo info = read(file(ByteBuilder().raw(head).le32(0xFFFFFFFF).raw("vendor").str()));
  EXPECT_EQ(info.encoder, "Vorbis(vendor)");
  // A count of 4 billion comments with two present: both are read, then the loop ends at
  // the end of the packet, before the next packet on the same page.
  OggBuilder ogg;
  ogg.packet(identification(2, 44100), 2);
  ogg.page({ByteBuilder()
                .raw(head)
                .le32(0)
                .le32(0xFFFFFFFF)
                .le32(7)
                .raw("TITLE=t")
                .le32(8)
                .raw("ARTIST=a")
                .str(),
            ByteBuilder().le32(11).raw("ALBUM=wrong").str()});
  info = read(ogg.str());
  EXPECT_EQ(info.title, "t");
  EXPECT_EQ(info.artist, "a");
  EXPECT_EQ(info.album, "");
  // A comment that says it is 4 GiB long yields the bytes present.
  info =
      read(file(ByteBuilder().raw(head).le32(0).le32(1).le32(0xFFFFFFF0).raw("TITLE=cut").str()));
  EXPECT_EQ(info.title, "cut");
}

TEST(OggFiles, NotOggMissingAndTruncated) {
  testing_support::TempDir dir;
  SongInfo info;
  info.title = "untouched";
  EXPECT_FALSE(tags::readOggInfo(dir.path() + "missing.ogg", info));
  EXPECT_EQ(info.title, "untouched");

  EXPECT_FALSE(tags::readOggInfo(dir.write("a.ogg", "ID3\x04" + std::string(200, '\0')), info));
  EXPECT_EQ(info.title, "");  // reset even though nothing was found

  const std::string whole = vorbisFile({"TITLE=Whole", "ARTIST=Band"});
  EXPECT_TRUE(tags::readOggInfo(dir.write("b.ogg", whole), info));
  EXPECT_EQ(info.title + " - " + info.artist, "Whole - Band");

  // Every prefix reads without fault; from "OggS" on it counts as an Ogg file.
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    tags::MemorySource source(whole.data(), n);
    EXPECT_EQ(tags::readOggInfo(source, info), n >= 4) << n;
  }
}

TEST(OggCost, TheTailIsScannedInOneReadWhateverTheFileSize) {
  OggBuilder ogg;
  ogg.packet(identification(2, 44100), 2).packet(commentHeader({"TITLE=t", "ARTIST=a"}));
  testing_support::SparseSource small(ogg.str(), 5'000'000);
  testing_support::SparseSource large(ogg.str(), 500'000'000);
  SongInfo info;
  EXPECT_TRUE(tags::readOggInfo(small, info));
  EXPECT_TRUE(tags::readOggInfo(large, info));
  EXPECT_EQ(info.title, "t");
  EXPECT_EQ(small.reads, large.reads);
  EXPECT_EQ(small.bytesRead, large.bytesRead);
  EXPECT_LE(large.reads, 32u);  // not one read per scanned window
}

}  // namespace
