// The bounds-checked cursor and the file source's block cache.
#include "tags/cursor.h"

#include <gtest/gtest.h>

#include "tests/support/byte_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ByteBuilder;

TEST(Cursor, ReadsWordsInBothByteOrders) {
  const std::string data = ByteBuilder()
                               .be16(0x1234)
                               .be24(0x56789A)
                               .be32(0xDEADBEEF)
                               .le16(0x1234)
                               .le32(0xCAFEBABE)
                               .le64(0x0102030405060708ull)
                               .syncsafe32(300)
                               .str();
  tags::MemorySource src(data);
  tags::Cursor c(src);
  EXPECT_EQ(c.be16(), 0x1234u);
  EXPECT_EQ(c.be24(), 0x56789Au);
  EXPECT_EQ(c.be32(), 0xDEADBEEFu);
  EXPECT_EQ(c.le16(), 0x1234u);
  EXPECT_EQ(c.le32(), 0xCAFEBABEu);
  EXPECT_EQ(c.le64(), 0x0102030405060708ull);
  std::uint8_t ss[4];
  c.read(ss, 4);
  EXPECT_EQ(tags::syncsafe32(ss), 300u);
  EXPECT_TRUE(c.ok());
  EXPECT_TRUE(c.atEnd());
}

TEST(Cursor, ReadsPastTheEndGiveZerosAndClearOk) {
  tags::MemorySource src("\x01\x02\x03", 3);
  tags::Cursor c(src);
  EXPECT_EQ(c.be32(), 0x01020300u);  // three bytes, then a zero
  EXPECT_FALSE(c.ok());
  EXPECT_EQ(c.u8(), 0u);
  EXPECT_EQ(c.tell(), 3u);
}

TEST(Cursor, HugeLengthsAreClampedToWhatRemains) {
  tags::MemorySource src("abcdef", 6);
  tags::Cursor c(src);
  c.skip(2);
  const auto b = c.bytes(0xFFFFFFFFFFFFull);  // a length no file holds: no huge allocation
  EXPECT_EQ(b.size(), 4u);
  EXPECT_FALSE(c.ok());
  c.seek(1);
  EXPECT_EQ(c.text(3), "bcd");
  c.skip(0xFFFFFFFFFFFFFFFFull);  // would overflow pos + count
  EXPECT_TRUE(c.atEnd());
  c.seek(100);
  EXPECT_EQ(c.tell(), 6u);
}

TEST(FileSource, ServesReadsAcrossBlocksAndAtTheEnd) {
  testing_support::TempDir dir;
  std::string data(40000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 251);
  const std::string path = dir.write("big.bin", data);
  tags::FileSource src(path);
  ASSERT_TRUE(src.isOpen());
  ASSERT_EQ(src.size(), data.size());
  // Small reads anywhere, including ones that straddle a block boundary, and big ones.
  for (std::uint64_t off : {0ull, 16380ull, 16384ull, 39990ull, 100ull, 32760ull, 39000ull, 5ull,
                            39999ull, 20000ull, 7ull}) {
    std::uint8_t buf[20];
    const std::size_t n = src.readAt(off, buf, sizeof buf);
    const std::size_t want = std::min<std::size_t>(20, data.size() - off);
    ASSERT_EQ(n, want) << off;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), data.substr(off, n)) << off;
  }
  std::string big(30000, '\0');
  EXPECT_EQ(src.readAt(5000, reinterpret_cast<std::uint8_t*>(&big[0]), big.size()), 30000u);
  EXPECT_EQ(big, data.substr(5000, 30000));
  std::uint8_t b;
  EXPECT_EQ(src.readAt(40000, &b, 1), 0u);
}

TEST(FileSource, MissingFileIsClosedAndEmpty) {
  tags::FileSource src("/no/such/song.mp3");
  EXPECT_FALSE(src.isOpen());
  EXPECT_EQ(src.size(), 0u);
  tags::Cursor c(src);
  EXPECT_EQ(c.u8(), 0u);
  EXPECT_FALSE(c.ok());
}

}  // namespace
