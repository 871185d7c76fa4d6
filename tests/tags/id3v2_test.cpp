// The ID3v2 reader over tags built byte by byte: header and frame layouts of ID3v2.2, 2.3
// and 2.4, the text encodings, pictures, padding and tags that lie about their sizes.
#include "tags/id3v2.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/text.h"
#include "tags/field_limits.h"
#include "tests/support/byte_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using tags::LanguageField;
using tags::SongInfo;
using testing_support::ByteBuilder;

std::string local(const char* utf8) { return platform::utf8ToLocal(utf8); }

std::string utf16be(const std::u16string& text) {
  ByteBuilder b;
  for (char16_t u : text) b.be16(u);
  return b;
}

// A frame in the layout of `major`: 3-byte id and size below 3, plain 32-bit size in 3,
// syncsafe size in 4.
std::string frame(int major, const std::string& id, const std::string& body) {
  ByteBuilder b;
  b.raw(id);
  if (major < 3) return b.be24(static_cast<std::uint32_t>(body.size())).raw(body);
  if (major == 4)
    b.syncsafe32(static_cast<std::uint32_t>(body.size()));
  else
    b.be32(static_cast<std::uint32_t>(body.size()));
  return b.bytes({0, 0}).raw(body);
}

// An ID3v2.4 frame as some writers made them: the size as a plain 32-bit number.
std::string frameWithPlainSize(const std::string& id, const std::string& body) {
  return frame(3, id, body);
}

std::string tag(int major, const std::string& frames, std::size_t padding = 0) {
  return ByteBuilder()
      .raw("ID3")
      .bytes({major, 0, 0})
      .syncsafe32(static_cast<std::uint32_t>(frames.size() + padding))
      .raw(frames)
      .fill(padding, 0);
}

std::string latin(const std::string& text) { return std::string(1, '\0') + text; }

struct Read {
  bool found;
  SongInfo info;
};

Read read(const std::string& bytes, SongInfo info = {}) {
  tags::MemorySource source(bytes);
  const bool found = tags::readId3v2(source, info);
  return {found, info};
}

std::string decode(const std::string& body, LanguageField language = LanguageField::absent) {
  return tags::decodeFrameText(reinterpret_cast<const std::uint8_t*>(body.data()), body.size(),
                               language);
}

TEST(Id3v2Header, TagSizeIsSyncsafeAndEndsTheWalk) {
  // TPE1 fills the tag up to offset 267; TIT2 starts right there and counts only when the
  // tag reaches beyond 267.
  const std::string artist = frame(3, "TPE1", latin(std::string(246, 'A')));
  ASSERT_EQ(10 + artist.size(), 267u);
  const std::string title = frame(3, "TIT2", latin("T"));
  const struct {
    std::initializer_list<int> sizeBytes;
    bool titleRead;
  } cases[] = {
      {{0x00, 0x00, 0x02, 0x01}, false},  // 257: the tag ends at 267
      {{0x80, 0x80, 0x82, 0x81}, false},  // high bits are masked off: 257 again
      {{0x00, 0x00, 0x02, 0x02}, false},  // 258: the title frame would run past the tag
      {{0x00, 0x00, 0x02, 0x0D}, true},   // 269: the tag holds the title frame
      {{0x00, 0x01, 0x00, 0x00}, true},   // 16384
  };
  for (const auto& c : cases) {
    const std::string bytes =
        ByteBuilder().raw("ID3").bytes({3, 0, 0}).bytes(c.sizeBytes).raw(artist).raw(title);
    const Read r = read(bytes);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.info.artist, std::string(246, 'A'));
    EXPECT_EQ(r.info.title, c.titleRead ? "T" : "");
  }
}

TEST(Id3v2Header, MajorVersionPicksTheFrameLayout) {
  for (int major : {0, 1, 2}) {
    const Read r = read(tag(major, frame(2, "TT2", latin("two"))));
    EXPECT_EQ(r.info.title, "two") << major;
  }
  for (int major : {3, 5, 255}) {
    const Read r = read(tag(major, frame(3, "TIT2", latin("three"))));
    EXPECT_EQ(r.info.title, "three") << major;
  }
}

TEST(Id3v2Header, OnlyFilesBeginningWithId3HaveATag) {
  SongInfo preset;
  preset.title = "kept";
  const struct {
    std::string bytes;
    bool found;
  } cases[] = {
      {"", false},
      {"ID", false},
      {"id3" + std::string(7, '\0') + frame(3, "TIT2", latin("x")), false},
      {"TAG" + std::string(200, ' '), false},
      {"ID3", true},                    // a header cut short: a tag with no frames
      {"ID3\x03\0\0\0\0\0\x20", true},  // declares 32 bytes, holds none
  };
  for (const auto& c : cases) {
    const Read r = read(c.bytes, preset);
    EXPECT_EQ(r.found, c.found) << c.bytes.size();
    EXPECT_EQ(r.info.title, "kept");
  }
}

TEST(Id3v2Frames, EachKnownFrameFillsItsField) {
  const struct {
    const char* id;
    const char* id22;
    std::string SongInfo::*field;
  } cases[] = {
      {"TIT2", "TT2", &SongInfo::title},   {"TPE1", "TP1", &SongInfo::artist},
      {"TALB", "TAL", &SongInfo::album},   {"TRCK", "TRK", &SongInfo::track},
      {"TYER", "TYE", &SongInfo::year},    {"TCOM", "TCM", &SongInfo::composer},
      {"TENC", "TEN", &SongInfo::encoder}, {"TCOP", "TCR", &SongInfo::copyright},
      {"WXXX", "WXX", &SongInfo::url},     {"TCON", "TCO", &SongInfo::genre},
      {"COMM", "COM", &SongInfo::comment}, {"USLT", "ULT", &SongInfo::lyrics},
  };
  for (const auto& c : cases) {
    const bool withLanguage = c.field == &SongInfo::comment || c.field == &SongInfo::lyrics;
    const std::string body = withLanguage ? std::string("\0eng\0value", 10) : latin("value");
    for (int major : {2, 3, 4}) {
      const Read r = read(tag(major, frame(major, major == 2 ? c.id22 : c.id, body)));
      EXPECT_EQ(r.info.*c.field, "value") << c.id << " v2." << major;
      // Nothing else is touched.
      for (const auto& f : tags::kSongInfoTextFields) {
        if (f.member == c.field) continue;
        EXPECT_EQ(r.info.*f.member, "") << c.id << " " << f.name;
      }
    }
  }
}

TEST(Id3v2Frames, ValuesAreStoredAsWrittenAndTheLastFrameWins) {
  const std::string frames = frame(3, "TIT2", latin("first")) + frame(3, "TCON", latin("(17)")) +
                             frame(3, "TRCK", latin("3/12")) + frame(3, "TXXX", latin("x")) +
                             frame(3, "TDRC", latin("2004")) + frame(3, "TALB", latin("  a  ")) +
                             frame(3, "TIT2", latin("second"));
  SongInfo preset;
  preset.year = "1999";
  const Read r = read(tag(3, frames, 64), preset);
  EXPECT_EQ(r.info.title, "second");
  EXPECT_EQ(r.info.genre, "(17)");
  EXPECT_EQ(r.info.track, "3/12");
  EXPECT_EQ(r.info.album, "  a  ");
  EXPECT_EQ(r.info.year, "1999");  // TDRC is not read
}

TEST(Id3v2Frames, AnEmptyFrameStoresNothing) {
  SongInfo preset;
  preset.title = "kept";
  EXPECT_EQ(read(tag(3, frame(3, "TIT2", "") + frame(3, "TPE1", latin("a"))), preset).info.title,
            "kept");
  // A frame of only its encoding byte does store the empty text.
  EXPECT_EQ(read(tag(3, frame(3, "TIT2", latin(""))), preset).info.title, "");
}

TEST(Id3v2Frames, PaddingIsWalkedToTheTagEnd) {
  // Zeros after the last frame, with frames of the record neither inside nor after them.
  const Read padded = read(tag(3, frame(3, "TIT2", latin("t")), 4096) + "TPE1");
  EXPECT_EQ(padded.info.title, "t");
  EXPECT_EQ(padded.info.artist, "");
  // A frame after a run of zeros that is a whole number of headers long is still a frame.
  for (int major : {2, 3, 4}) {
    const std::string id = major == 2 ? "TP1" : "TPE1";
    const std::size_t header = major == 2 ? 6 : 10;
    const std::string frames = frame(major, major == 2 ? "TT2" : "TIT2", latin("t")) +
                               std::string(header * 30, '\0') + frame(major, id, latin("a"));
    const Read r = read(tag(major, frames, 100));
    EXPECT_EQ(r.info.title, "t") << major;
    EXPECT_EQ(r.info.artist, "a") << major;
  }
  // A megabyte of zeros is padding to the tag's end, whatever follows.
  const std::string far = frame(3, "TIT2", latin("t")) + std::string((1 << 20) + 10, '\0') +
                          frame(3, "TPE1", latin("a"));
  EXPECT_EQ(read(tag(3, far, 100)).info.artist, "");
}

TEST(Id3v2Frames, Version24SizesAreSyncsafe) {
  // A picture of 300 bytes in front of the title: as a plain number its syncsafe size bytes
  // 00 00 02 2C would say 556 and lose every frame after it.
  // Every fourth image byte is zero, so that a size read the wrong way lands on one.
  std::string image = "\xFF\xD8\xFF\xE0";
  for (int i = 0; image.size() < 300; ++i) image.push_back(i % 4 ? 'a' + i % 26 : '\0');
  const std::string apic = ByteBuilder().bytes({0}).raw("image/jpeg").bytes({0, 3, 0}).raw(image);
  const std::string lyrics = std::string("\0eng\0", 5) + std::string(1000, 'l');
  const std::string title = latin(std::string(130, 't'));
  {
    const Read r = read(tag(4,
                            frame(4, "APIC", apic) + frame(4, "USLT", lyrics) +
                                frame(4, "TIT2", title) + frame(4, "TPE1", latin("a")),
                            256));
    EXPECT_EQ(std::string(r.info.picture.begin(), r.info.picture.end()), image);
    EXPECT_EQ(r.info.lyrics, std::string(1000, 'l'));
    EXPECT_EQ(r.info.title, std::string(130, 't'));
    EXPECT_EQ(r.info.artist, "a");
    // Read for its texts only, the song gives the same texts and leaves the cover unread.
    SongInfo textsOnly;
    textsOnly.pictureWanted = false;
    const Read t = read(tag(4,
                            frame(4, "APIC", apic) + frame(4, "USLT", lyrics) +
                                frame(4, "TIT2", title) + frame(4, "TPE1", latin("a")),
                            256),
                        textsOnly);
    EXPECT_TRUE(t.info.picture.empty());
    EXPECT_EQ(t.info.title, r.info.title);
    EXPECT_EQ(t.info.lyrics, r.info.lyrics);
  }
  // Tags from writers that stored plain sizes in ID3v2.4 read the same, with or without
  // padding after the last frame, and so does a mix of both kinds.
  for (std::size_t padding : {0, 256}) {
    const Read r =
        read(tag(4,
                 frameWithPlainSize("APIC", apic) + frame(4, "USLT", lyrics) +
                     frameWithPlainSize("TIT2", title) + frameWithPlainSize("TPE1", latin("a")),
                 padding));
    EXPECT_EQ(std::string(r.info.picture.begin(), r.info.picture.end()), image) << padding;
    EXPECT_EQ(r.info.lyrics, std::string(1000, 'l')) << padding;
    EXPECT_EQ(r.info.title, std::string(130, 't')) << padding;
    EXPECT_EQ(r.info.artist, "a") << padding;
  }
  // ID3v2.3 keeps plain sizes: the same bytes with syncsafe sizes are a broken 2.3 tag.
  const Read v23 = read(tag(3, frame(3, "TIT2", title) + frame(3, "TPE1", latin("a"))));
  EXPECT_EQ(v23.info.title, std::string(130, 't'));
  EXPECT_EQ(v23.info.artist, "a");
  const Read v23broken = read(tag(3, frame(4, "TIT2", title) + frame(4, "TPE1", latin("a"))));
  EXPECT_EQ(v23broken.info.artist, "");
}

TEST(Id3v2Pictures, TheImageFollowsAFixedLayout) {
  const std::string image = "\x89PNG\r\n\x1A\n-image-bytes";
  const struct {
    int major;
    std::string body;
    std::string picture;
  } cases[] = {
      {3, ByteBuilder().bytes({0}).raw("image/jpeg").bytes({0, 3, 0}).raw(image), image},
      {4, ByteBuilder().bytes({3}).raw("image/png").bytes({0, 3, 0}).raw(image), image},
      // image/jpg is cut as if it were jpeg: the first image byte goes with the prefix.
      {3, ByteBuilder().bytes({0}).raw("image/jpg").bytes({0, 3, 0}).raw(image), image.substr(1)},
      {2, ByteBuilder().bytes({0}).raw("PNG").bytes({3, 0}).raw(image), image},
      // Too short for the prefix: no picture.
      {3, ByteBuilder().bytes({0}).raw("image/jpeg").bytes({0, 3}), ""},
      {3, ByteBuilder().bytes({0}).raw("image/png").bytes({0, 3}), ""},
      {3, ByteBuilder().bytes({0}).raw("ima"), ""},
      {2, ByteBuilder().bytes({0}).raw("PNG").bytes({3}), ""},
  };
  for (const auto& c : cases) {
    SongInfo preset;
    preset.picture = {1, 2, 3};
    const std::string frames = frame(c.major, c.major == 2 ? "PIC" : "APIC", c.body) +
                               frame(c.major, c.major == 2 ? "TT2" : "TIT2", latin("after"));
    const Read r = read(tag(c.major, frames), preset);
    EXPECT_EQ(std::string(r.info.picture.begin(), r.info.picture.end()), c.picture)
        << c.body.size();
    EXPECT_EQ(r.info.title, "after") << c.body.size();
  }
}

TEST(Id3v2Hostile, SizesBeyondTheFileAreClamped) {
  // A tag that claims 100000 bytes in a file of a few dozen: the walk ends at the file's
  // end, after the frames that are there.
  const std::string declared = ByteBuilder()
                                   .raw("ID3")
                                   .bytes({3, 0, 0})
                                   .syncsafe32(100000)
                                   .raw(frame(3, "TIT2", latin("t")))
                                   .raw(frame(3, "TPE1", latin("a")))
                                   .raw("TAL");  // a header cut short
  const Read r = read(declared);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.info.title, "t");
  EXPECT_EQ(r.info.artist, "a");

  // A frame claiming more bytes than remain yields the bytes that remain.
  for (int major : {2, 3, 4}) {
    ByteBuilder b;
    b.raw("ID3").bytes({major, 0, 0}).syncsafe32(0x0FFFFFFF);
    if (major == 2)
      b.raw("TT2").be24(0xFFFFFF);
    else
      b.raw("TIT2").be32(major == 4 ? 0x7F7F7F7F : 0xFFFFFFFF).bytes({0, 0});
    b.bytes({0}).raw("rest of file");
    EXPECT_EQ(read(b).info.title, "rest of file") << major;
  }
  // A picture claiming 4 GiB gets what the file holds.
  const std::string picture = ByteBuilder()
                                  .raw("ID3")
                                  .bytes({3, 0, 0})
                                  .syncsafe32(0x0FFFFFFF)
                                  .raw("APIC")
                                  .be32(0xFFFFFFFF)
                                  .bytes({0, 0, 0})
                                  .raw("image/jpeg")
                                  .bytes({0, 3, 0})
                                  .raw("JPEG");
  EXPECT_EQ(read(picture).info.picture, (std::vector<std::uint8_t>{'J', 'P', 'E', 'G'}));
}

TEST(Id3v2Hostile, Id3v2FrameSizeBoundedByTag) {
  // A title claiming 4 GiB in a tag of 17 bytes: the title is what the tag holds, never
  // the file after it.
  for (int major : {2, 3, 4}) {
    ByteBuilder b;
    b.raw("ID3").bytes({major, 0, 0}).syncsafe32(major == 2 ? 13 : 17);
    if (major == 2)
      b.raw("TT2").be24(0xFFFFFF);
    else
      b.raw("TIT2").be32(major == 4 ? 0x7F7F7F7F : 0xFFFFFFFF).bytes({0, 0});
    b.bytes({0}).raw("inside").raw("outside the tag");
    EXPECT_EQ(read(b).info.title, "inside") << major;
  }
  // A tag that declares size 0 holds no frame, whatever follows it.
  const std::string zeroSize =
      ByteBuilder().raw("ID3").bytes({3, 0, 0, 0, 0, 0, 0}).raw(frame(3, "TIT2", latin("x")));
  EXPECT_EQ(read(zeroSize).info.title, "");
}

TEST(Id3v2Hostile, AFrameLargerThanAFieldMayHoldIsPassedOver) {
  SongInfo preset;
  preset.title = "kept";
  const std::string huge = latin(std::string(tags::kMaxTextBytes, 'x'));
  const Read r = read(tag(3, frame(3, "TIT2", huge) + frame(3, "TPE1", latin("a"))), preset);
  EXPECT_TRUE(r.info.title == "kept");
  EXPECT_EQ(r.info.artist, "a");
}

TEST(Id3v2Hostile, RandomBytesAfterTheHeaderNeverRunAway) {
  std::mt19937 random(2024);
  for (int i = 0; i < 3000; ++i) {
    const int major = 2 + i % 3;
    std::string bytes = ByteBuilder().raw("ID3").bytes({major, 0, 0}).syncsafe32(random() % 700);
    const std::size_t length = random() % 600;
    for (std::size_t k = 0; k < length; ++k) {
      // Mostly small values and frame-id letters, so that many headers look real.
      const std::uint32_t v = random();
      bytes.push_back(static_cast<char>(v % 4 == 0 ? "TIT2APICOMUSL"[v % 13] : v % 3 ? 0 : v >> 8));
    }
    const Read r = read(bytes);
    EXPECT_TRUE(r.found);
    EXPECT_LE(r.info.picture.size(), bytes.size());
  }
}

// --- extended header and unsynchronisation ---------------------------------------------

// What a writer unsynchronising `bytes` stores: a zero after every 0xFF that is followed by
// 0xE0 or more, by zero, or by nothing (ID3v2.4 section 6.1).
std::string unsynchronise(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    const bool last = i + 1 == bytes.size();
    const auto next = static_cast<std::uint8_t>(last ? 0 : bytes[i + 1]);
    if (static_cast<std::uint8_t>(bytes[i]) == 0xFF && (last || next >= 0xE0 || next == 0))
      out.push_back('\0');
  }
  return out;
}

// A tag from its header flags and the bytes after its header.
std::string tagWithFlags(int major, int flags, const std::string& afterHeader) {
  return ByteBuilder()
      .raw("ID3")
      .bytes({major, 0, flags})
      .syncsafe32(static_cast<std::uint32_t>(afterHeader.size()))
      .raw(afterHeader);
}

// An ID3v2.4 frame with its format flags; its size counts the bytes as stored.
std::string frame24(const std::string& id, const std::string& stored, int formatFlags) {
  return ByteBuilder()
      .raw(id)
      .syncsafe32(static_cast<std::uint32_t>(stored.size()))
      .bytes({0, formatFlags})
      .raw(stored);
}

// UTF-16 with a byte-order mark (FF FE) and ÿ (FF 00): both break when a zero is inserted.
const std::string kUtf16Title = ByteBuilder().bytes({1, 0xFF, 0xFE}).utf16le(u"ÿ歌");

TEST(Id3v2Layout, ExtendedHeaderIsSteppedOver) {
  const std::string frames = frame(3, "TIT2", latin("t"));
  const std::string frames24 = frame(4, "TIT2", latin("t"));
  const struct {
    const char* what;
    std::string bytes;
    const char* title;
  } cases[] = {
      {"v2.3, size without its own four bytes",
       tagWithFlags(3, 0x40, ByteBuilder().be32(6).fill(6, 0).raw(frames)), "t"},
      {"v2.3 with CRC",
       tagWithFlags(3, 0x40, ByteBuilder().be32(10).bytes({0x80, 0}).fill(8, 7).raw(frames)), "t"},
      {"v2.4, syncsafe size of the whole header",
       tagWithFlags(4, 0x40, ByteBuilder().syncsafe32(6).bytes({1, 0}).raw(frames24)), "t"},
      {"v2.4 with CRC",
       tagWithFlags(4, 0x40,
                    ByteBuilder().syncsafe32(12).bytes({1, 0x20, 5}).fill(5, 0x7F).raw(frames24)),
       "t"},
      {"v2.3 unsynchronised with it",
       tagWithFlags(3, 0xC0, unsynchronise(ByteBuilder().be32(6).fill(6, 0xFF).raw(frames))), "t"},
      {"v2.3, runs past the tag",
       tagWithFlags(3, 0x40,
                    ByteBuilder().be32(static_cast<std::uint32_t>(frames.size() + 1)).raw(frames)),
       "kept"},
      {"v2.4, runs past the tag",
       tagWithFlags(
           4, 0x40,
           ByteBuilder().syncsafe32(static_cast<std::uint32_t>(frames24.size() + 5)).raw(frames24)),
       "kept"},
      {"v2.4, too small to hold itself",
       tagWithFlags(4, 0x40, ByteBuilder().syncsafe32(0).raw(frames24)), "kept"},
  };
  for (const auto& c : cases) {
    SongInfo preset;
    preset.title = "kept";
    const Read r = read(c.bytes, preset);
    EXPECT_TRUE(r.found) << c.what;
    EXPECT_EQ(r.info.title, c.title) << c.what;
  }
}

TEST(Id3v2Layout, UnsynchronisationIsUndoneTagWideBeforeVersion24) {
  // Frame sizes count the restored bytes, so a frame after the title is found only when
  // the whole tag is restored before the walk.
  for (int major : {2, 3}) {
    const std::string frames = frame(major, major == 2 ? "TT2" : "TIT2", kUtf16Title) +
                               frame(major, major == 2 ? "TP1" : "TPE1", latin("a"));
    const std::string stored = unsynchronise(frames);
    ASSERT_GT(stored.size(), frames.size());
    const Read r = read(tagWithFlags(major, 0x80, stored));
    EXPECT_EQ(r.info.title, local("ÿ歌")) << major;
    EXPECT_EQ(r.info.artist, "a") << major;
  }
}

TEST(Id3v2Layout, UnsynchronisationIsUndoneFrameByFrameInVersion24) {
  const std::string title = unsynchronise(kUtf16Title);
  // A data length indicator (syncsafe, the restored size) may come in front of the data.
  const std::string album =
      ByteBuilder().syncsafe32(static_cast<std::uint32_t>(kUtf16Title.size())).raw(title);
  const std::string frames = frame24("TIT2", title, 0x02) + frame24("TALB", album, 0x03) +
                             frame24("TPE1", kUtf16Title, 0);  // its FF 00 is ÿ
  const Read r = read(tagWithFlags(4, 0, frames));
  EXPECT_EQ(r.info.title, local("ÿ歌"));
  EXPECT_EQ(r.info.album, local("ÿ歌"));
  EXPECT_EQ(r.info.artist, local("ÿ歌"));
  // The tag's flag stands for the flag of every frame.
  const Read wide =
      read(tagWithFlags(4, 0x80, frame24("TIT2", title, 0) + frame24("TPE1", latin("a"), 0)));
  EXPECT_EQ(wide.info.title, local("ÿ歌"));
  EXPECT_EQ(wide.info.artist, "a");
}

TEST(Id3v2File, ReadsThroughThePathWithoutChangingTheFile) {
  testing_support::TempDir dir;
  const std::string bytes =
      tag(3, frame(3, "TIT2", latin("t")) + frame(3, "TPE1", latin("a")), 32) +
      std::string(500, '\x55');
  const std::string path = dir.write("x.mp3", bytes);
  SongInfo info;
  EXPECT_TRUE(tags::readId3v2(path, info));
  EXPECT_EQ(info.title, "t");
  EXPECT_EQ(info.artist, "a");
  EXPECT_EQ(testing_support::TempDir::read(path), bytes);
  EXPECT_EQ(tags::readSongInfo(path), "t - a");
  SongInfo none;
  EXPECT_FALSE(tags::readId3v2(dir.path() + "missing.mp3", none));
}

// --- frame texts ----------------------------------------------------------------------

TEST(DecodeFrameText, TextFramesInEveryEncoding) {
  const std::u16string song = u"歌名 Song";
  const struct {
    const char* what;
    std::string body;
    std::string text;
  } cases[] = {
      {"local bytes pass through", latin("\xB8\xE8\xC3\xFB"), "\xB8\xE8\xC3\xFB"},
      {"NULs are dropped", std::string("\0a\0b\0", 5), "ab"},
      {"UTF-16 little-endian", ByteBuilder().bytes({1, 0xFF, 0xFE}).utf16le(song),
       local("歌名 Song")},
      {"UTF-16 big-endian", ByteBuilder().bytes({1, 0xFE, 0xFF}).raw(utf16be(song)),
       local("歌名 Song")},
      {"UTF-16BE without mark", ByteBuilder().bytes({2}).raw(utf16be(song)), local("歌名 Song")},
      {"encoding 2 with a mark", ByteBuilder().bytes({2, 0xFF, 0xFE}).utf16le(song),
       local("歌名 Song")},
      {"UTF-16 without mark is little-endian", ByteBuilder().bytes({1}).utf16le(u"ab"), "ab"},
      {"UTF-8", ByteBuilder().bytes({3}).raw("\xE6\xAD\x8C\xE5\x90\x8D"), local("歌名")},
      {"UTF-8 ends at a NUL", std::string("\3a\0b", 4), "a"},
      {"unknown encoding", "\x04text", ""},
      {"encoding byte alone", std::string(1, '\1'), ""},
      {"empty body", "", ""},
      // Titles that begin like a language field keep their letters.
      {"chill out, local", latin("chill out"), "chill out"},
      {"english rose, UTF-8", "\3english rose", "english rose"},
  };
  for (const auto& c : cases) EXPECT_EQ(decode(c.body), c.text) << c.what;
}

TEST(DecodeFrameText, Utf16IsDecodedAsUtf16) {
  // 仿 (U+4EFF) and ÿ (U+00FF) end in an FF byte; 𝄞 (U+1D11E) is a surrogate pair.
  const std::u16string text = u"仿ÿ𝄞x";
  const std::string expected = local("仿ÿ𝄞x");
  EXPECT_EQ(decode(ByteBuilder().bytes({1, 0xFF, 0xFE}).utf16le(text)), expected);
  EXPECT_EQ(decode(ByteBuilder().bytes({1, 0xFE, 0xFF}).raw(utf16be(text))), expected);
  EXPECT_EQ(decode(ByteBuilder().bytes({2}).raw(utf16be(text))), expected);

  const struct {
    const char* what;
    std::string body;
    std::string text;
  } cases[] = {
      {"a second mark", ByteBuilder().bytes({1, 0xFF, 0xFE, 'a', 0, 0xFF, 0xFE, 'b', 0}), "ab"},
      {"a mark switching to big-endian",
       ByteBuilder().bytes({1, 0xFF, 0xFE, 'a', 0, 0, 0, 0xFE, 0xFF, 0, 'b'}), "ab"},
      {"NUL units vanish", ByteBuilder().bytes({1, 0xFF, 0xFE, 'a', 0, 0, 0, 'b', 0, 0, 0}), "ab"},
      {"leading NULs", ByteBuilder().bytes({1, 0, 0, 0xFF, 0xFE, 'a', 0}), "a"},
      {"an odd last byte", ByteBuilder().bytes({1, 0xFF, 0xFE, 'a', 0, 'b'}), "a"},
      {"an unpaired surrogate", ByteBuilder().bytes({1, 0xFF, 0xFE, 'a', 0, 0x34, 0xD8, 'b', 0}),
       "a?b"},
  };
  for (const auto& c : cases) EXPECT_EQ(decode(c.body), c.text) << c.what;
}

TEST(DecodeFrameText, CommentAndLyricsFramesHaveALanguage) {
  const struct {
    const char* what;
    std::string body;
    std::string text;
  } cases[] = {
      {"local, empty description", std::string("\0eng\0text", 9), "text"},
      {"local, description joins the text", std::string("\0engd\0text", 10), "dtext"},
      {"UTF-16, empty description",
       ByteBuilder().bytes({1}).raw("chi").bytes({0xFF, 0xFE, 0, 0, 0xFF, 0xFE}).utf16le(u"歌词"),
       local("歌词")},
      {"UTF-16, description without mark",
       ByteBuilder().bytes({1}).raw("eng").bytes({0, 0, 0xFF, 0xFE}).utf16le(u"text"), "text"},
      {"UTF-8, empty description", std::string("\3eng\0text", 9), "text"},
      {"UTF-8, a description is all that comes", std::string("\3engdesc\0text", 13), "desc"},
      // Whatever the language, it is the language.
      {"local, zho", std::string("\0zho\0text", 9), "text"},
      {"UTF-16, XXX",
       ByteBuilder().bytes({1}).raw("XXX").bytes({0xFF, 0xFE, 0, 0, 0xFF, 0xFE}).utf16le(u"text"),
       "text"},
      {"UTF-16, NUL language",
       ByteBuilder().bytes({1, 0, 0, 0, 0xFF, 0xFE, 0, 0, 0xFF, 0xFE}).utf16le(u"text"), "text"},
      {"UTF-8, zho", std::string("\3zho\0text", 9), "text"},
      {"language cut short", std::string("\0en", 3), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(decode(c.body, LanguageField::present), c.text) << c.what;
}

}  // namespace
