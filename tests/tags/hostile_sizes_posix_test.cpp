// Songs of 400 MB whose structures claim sizes up to 4 GiB: reading one through the public
// reader must cost a few MiB of memory, whatever the file's size or its claims. The files
// are sparse (only the structures are written), and each is read in a child process whose
// peak resident memory is compared with what it was before the read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tags/song_info.h"
#include "tests/support/byte_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ByteBuilder;

constexpr std::int64_t kFileSize = 400'000'000;
constexpr long kFewMiB = 8 * 1024;  // the allowance, in the KiB that ru_maxrss counts

// Bytes written at an offset; a negative offset counts from the end of the file.
struct Piece {
  std::int64_t offset;
  std::string bytes;
};

std::string sparseSong(const testing_support::TempDir& dir, const std::string& name,
                       const std::vector<Piece>& pieces) {
  const std::string path = dir.path() + name;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::ftruncate(fd, kFileSize), 0);
  for (const Piece& p : pieces) {
    const std::int64_t at = p.offset < 0 ? kFileSize + p.offset : p.offset;
    EXPECT_EQ(::pwrite(fd, p.bytes.data(), p.bytes.size(), at),
              static_cast<ssize_t>(p.bytes.size()));
  }
  ::close(fd);
  return path;
}

long maxRssKiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// How far the peak resident memory rose while a child process read the song, in KiB.
long peakGrowthReading(const std::string& path) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    const long before = maxRssKiB();
    tags::readSongInfo(path);
    const long growth = maxRssKiB() - before;
    (void)!::write(fds[1], &growth, sizeof growth);
    ::_exit(0);
  }
  ::close(fds[1]);
  long growth = -1;
  if (::read(fds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? growth : -1;
}

std::string id3v2(int flags, const std::string& id, const std::string& frameBody) {
  // A tag of 256 MiB, the most its syncsafe size can say, whose one frame claims 4 GiB.
  return ByteBuilder()
      .raw("ID3")
      .bytes({3, 0, flags})
      .syncsafe32(0x0FFFFFFF)
      .raw(id)
      .be32(0xFFFFFFFF)
      .bytes({0, 0})
      .raw(frameBody);
}

std::string apeFooter(std::uint32_t tagSize) {
  return ByteBuilder().raw("APETAGEX").le32(2000).le32(tagSize).le32(1).le32(0).fill(8, 0);
}

// An APEv2 tag of 300 MB whose first item claims all of it; the item lies 300 MB before
// the end of the file, its footer at the end.
std::vector<Piece> apeItemSpanningTheTag(const std::string& key) {
  const std::uint32_t area = 300'000'000;
  return {{-static_cast<std::int64_t>(area) - 32,
           ByteBuilder().le32(area - 100).le32(0).raw(key).u8(0).raw("name.jpg").u8(0)},
          {-32, apeFooter(area + 32)}};
}

std::string oggPage(std::uint32_t sequence, int flags, const std::string& lacing) {
  return ByteBuilder()
      .raw("OggS")
      .bytes({0, flags})
      .le64(0)
      .le32(7)  // stream serial number
      .le32(sequence)
      .le32(0)  // checksum, not checked
      .u8(static_cast<std::uint32_t>(lacing.size()))
      .raw(lacing);
}

// An Ogg Vorbis song whose comment packet claims a vendor string of 4 GiB; the packet's
// page promises 255 full segments and the file goes on for 400 MB.
std::string oggHostileComment() {
  const std::string identification =
      ByteBuilder().u8(1).raw("vorbis").le32(0).u8(2).le32(44100).fill(12, 0).bytes({0xB8, 1});
  return oggPage(0, 2, std::string(1, '\x1E')) + identification +
         oggPage(1, 0, std::string(255, '\xFF')) +
         ByteBuilder().u8(3).raw("vorbis").le32(0xFFFFFFFF).str();
}

std::string flacHostileComment() {
  // A VORBIS_COMMENT block of 16 MiB, the most its length can say, holding a title that
  // claims 4 GiB.
  return ByteBuilder()
      .raw("fLaC")
      .u8(4)
      .be24(0xFFFFFF)
      .le32(0)
      .le32(1)
      .le32(0xFFFFFFFF)
      .raw("TITLE=");
}

std::string wmaHostileObjects() {
  const std::string headerGuid =
      ByteBuilder().bytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA,
                           0x00, 0x62, 0xCE, 0x6C});
  const std::string extendedGuid =
      ByteBuilder().bytes({0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11, 0x97, 0xF0, 0x00, 0xA0,
                           0xC9, 0x5E, 0xA8, 0x50});
  const std::string name = ByteBuilder().utf16le(u"WM/Picture").le16(0);
  return ByteBuilder()
      .raw(headerGuid)
      .le64(0xFFFFFFFFFFFFFFFF)
      .le32(0xFFFFFFFF)
      .bytes({1, 2})
      .raw(extendedGuid)
      .le64(0xFFFFFFFFFFFF)
      .le16(0xFFFF)
      .le16(static_cast<std::uint32_t>(name.size()))
      .raw(name)
      .le16(1)
      .le16(0xFFFF)
      .u8(3)
      .le32(0xFFFF - 5);
}

TEST(HostileSizes, ReadingASongCostsAFewMiBWhateverItClaims) {
  testing_support::TempDir dir;
  const struct {
    const char* name;
    std::vector<Piece> pieces;
  } cases[] = {
      {"id3v2-title.mp3", {{0, id3v2(0, "TIT2", std::string("\0title", 6))}}},
      {"id3v2-picture.mp3", {{0, id3v2(0, "APIC", std::string("\0image/jpeg\0\3\0", 14))}}},
      {"id3v2-unsynchronised.mp3", {{0, id3v2(0x80, "TIT2", std::string("\1\xFF\0\xFE", 4))}}},
      {"ape-footer-2GiB.ape", {{-32, apeFooter(0x7FFFFFFF)}}},
      {"ape-title-item.ape", apeItemSpanningTheTag("Title")},
      {"ape-cover-item.mp3", apeItemSpanningTheTag("Cover Art (Front)")},
      {"vorbis-comment.ogg", {{0, oggHostileComment()}}},
      {"flac-comment.flac", {{0, flacHostileComment()}}},
      {"asf-objects.wma", {{0, wmaHostileObjects()}}},
  };
  for (const auto& c : cases) {
    const std::string path = sparseSong(dir, c.name, c.pieces);
    const long growth = peakGrowthReading(path);
    EXPECT_GE(growth, 0) << c.name;
    EXPECT_LE(growth, kFewMiB) << c.name << ": peak memory grew by " << growth << " KiB";
    std::printf("%-26s peak memory +%ld KiB\n", c.name, growth);
    ::unlink(path.c_str());
  }
}

}  // namespace
