// The ASF (WMA) header reader over fixture bytes built object by object.
#include "tags/wma.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/text.h"
#include "tests/support/byte_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ByteBuilder;

// GUIDs as ASF stores them (first three groups little-endian), written out by hand so a
// slip in the reader's own table shows.
std::string guidBytes(std::initializer_list<int> b) { return ByteBuilder().bytes(b).str(); }
const std::string kHeaderGuid = guidBytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6,
                                           0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C});
const std::string kContentGuid = guidBytes({0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6,
                                            0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C});
const std::string kExtendedGuid = guidBytes({0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11, 0x97,
                                             0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50});
const std::string kCodecListGuid = guidBytes({0x40, 0x52, 0xD1, 0x86, 0x1D, 0x31, 0xD0, 0x11, 0xA3,
                                              0xA4, 0x00, 0xA0, 0xC9, 0x03, 0x48, 0xF6});
const std::string kFilePropertiesGuid = guidBytes({0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                                   0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65});
// Stream Properties: an object the reader skips by its size.
const std::string kStreamPropertiesGuid =
    guidBytes({0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11, 0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20,
               0x53, 0x65});

constexpr std::uint16_t kString = 0, kBytes = 1, kDword = 3;

std::string local(const char* utf8) { return platform::utf8ToLocal(utf8); }

// UTF-16LE with its terminating zero unit.
std::string utf16z(const std::u16string& text) { return ByteBuilder().utf16le(text).le16(0).str(); }

std::string object(const std::string& guid, const std::string& body) {
  return ByteBuilder().raw(guid).le64(24 + body.size()).raw(body).str();
}

std::string asfFile(const std::vector<std::string>& objects, std::uint32_t count) {
  std::string all;
  for (const auto& o : objects) all += o;
  return ByteBuilder().raw(kHeaderGuid).le64(30 + all.size()).le32(count).bytes({1, 2}).raw(all);
}
std::string asfFile(const std::vector<std::string>& objects) {
  return asfFile(objects, static_cast<std::uint32_t>(objects.size()));
}

std::string contentDescription(const std::u16string& title, const std::u16string& author,
                               const std::u16string& copyright = u"",
                               const std::u16string& description = u"",
                               const std::u16string& rating = u"") {
  ByteBuilder b;
  std::string strings;
  for (const auto* s : {&title, &author, &copyright, &description, &rating}) {
    const std::string bytes = s->empty() ? "" : utf16z(*s);
    b.le16(static_cast<std::uint32_t>(bytes.size()));
    strings += bytes;
  }
  return object(kContentGuid, b.raw(strings));
}

std::string descriptor(const std::string& nameBytes, std::uint16_t type, const std::string& value) {
  return ByteBuilder()
      .le16(static_cast<std::uint32_t>(nameBytes.size()))
      .raw(nameBytes)
      .le16(type)
      .le16(static_cast<std::uint32_t>(value.size()))
      .raw(value);
}
std::string descriptor(const std::u16string& name, std::uint16_t type, const std::string& value) {
  return descriptor(utf16z(name), type, value);
}
std::string text(const std::u16string& name, const std::u16string& value) {
  return descriptor(name, kString, utf16z(value));
}
std::string dword(const std::u16string& name, std::uint32_t value) {
  return descriptor(name, kDword, ByteBuilder().le32(value));
}

std::string extendedContent(const std::vector<std::string>& descriptors) {
  ByteBuilder b;
  b.le16(static_cast<std::uint32_t>(descriptors.size()));
  for (const auto& d : descriptors) b.raw(d);
  return object(kExtendedGuid, b);
}

std::string codecList(const std::u16string& name, const std::u16string& description,
                      std::uint32_t entries = 1) {
  ByteBuilder b;
  b.fill(16, 0).le32(entries);
  if (entries > 0) {
    b.le16(2)  // audio codec
        .le16(static_cast<std::uint32_t>(name.size() + 1))
        .raw(utf16z(name))
        .le16(static_cast<std::uint32_t>(description.size() + 1))
        .raw(utf16z(description))
        .le16(2)
        .bytes({0x61, 0x01});
  }
  return object(kCodecListGuid, b);
}

std::string fileProperties(std::uint64_t playDuration, std::uint64_t preroll, std::uint32_t flags) {
  return object(kFilePropertiesGuid, ByteBuilder()
                                         .fill(16, 0xAB)  // file ID
                                         .le64(123456)    // file size
                                         .le64(0)         // creation date
                                         .le64(9)         // data packets
                                         .le64(playDuration)
                                         .le64(playDuration - 1)  // send duration
                                         .le64(preroll)
                                         .le32(flags)
                                         .le32(3200)
                                         .le32(3200)
                                         .le32(128000));
}

std::string pictureValue(const std::string& image) {
  return ByteBuilder()
      .u8(3)  // front cover
      .le32(static_cast<std::uint32_t>(image.size()))
      .raw(utf16z(u"image/jpeg"))
      .raw(utf16z(u"封面"))
      .raw(image);
}

struct Read {
  bool result;
  tags::SongInfo info;
};

Read readBytes(const std::string& bytes) {
  tags::MemorySource source(bytes);
  Read r{false, {}};
  r.result = tags::readWmaInfo(source, r.info);
  return r;
}

TEST(ReadWmaInfo, OnlyAFileBeginningWithTheHeaderGuidIsRead) {
  const std::string body = contentDescription(u"T", u"A");
  std::string wrongByte = asfFile({body});
  wrongByte[3] = 0x76;
  for (const std::string& bytes : {std::string(), kHeaderGuid.substr(0, 15), body, wrongByte}) {
    tags::MemorySource source(bytes);
    tags::SongInfo info;
    info.title = "old";
    info.picture = {1};
    info.trackIndex = "3";
    EXPECT_FALSE(tags::readWmaInfo(source, info));
    EXPECT_EQ(info.title, "");  // reset
    EXPECT_TRUE(info.picture.empty());
    EXPECT_EQ(info.trackIndex, "3");  // the one field a reset keeps
  }
  const Read r = readBytes(asfFile({body}));
  EXPECT_TRUE(r.result);
  EXPECT_EQ(r.info.title, "T");
}

TEST(ReadWmaInfo, MissingFileLeavesTheRecordUntouched) {
  testing_support::TempDir dir;
  tags::SongInfo info;
  info.title = "kept";
  EXPECT_FALSE(tags::readWmaInfo(dir.path() + "missing.wma", info));
  EXPECT_EQ(info.title, "kept");
  tags::FileSource closed(dir.path() + "missing.wma");
  EXPECT_FALSE(tags::readWmaInfo(closed, info));
  EXPECT_EQ(info.title, "kept");
}

TEST(ReadWmaInfo, ContentDescriptionGivesTitleArtistCopyrightAndComment) {
  // A 69-character title is 140 bytes with its terminator: the lengths are full 16-bit
  // values, and a 300-character comment needs more than one byte of length too.
  const std::u16string longTitle(69, u'x');
  const std::u16string longComment = std::u16string(299, u'c') + u"末";
  const Read r = readBytes(asfFile({
      contentDescription(longTitle, u"周杰伦", u"© 2004", longComment, u"PG"),
      // The non-empty rating is not read, yet the next object is found by the size.
      extendedContent({text(u"WM/AlbumTitle", u"七里香")}),
  }));
  EXPECT_TRUE(r.result);
  EXPECT_EQ(r.info.title, std::string(69, 'x'));
  EXPECT_EQ(r.info.artist, local("周杰伦"));
  EXPECT_EQ(r.info.copyright, local("© 2004"));
  EXPECT_EQ(r.info.comment, std::string(299, 'c') + local("末"));
  EXPECT_EQ(r.info.album, local("七里香"));
}

TEST(ReadWmaInfo, EachRecognisedAttributeFillsItsField) {
  const struct {
    std::string descriptor;
    std::string tags::SongInfo::*field;
    std::string expected;
  } cases[] = {
      {text(u"WM/AlbumTitle", u"叶惠美"), &tags::SongInfo::album, local("叶惠美")},
      {text(u"WM/EncodedBy", u"某人"), &tags::SongInfo::encoder, local("某人")},
      {text(u"WM/Genre", u"流行"), &tags::SongInfo::genre, local("流行")},
      {text(u"WM/Lyrics", u"窗外的麻雀\r\n"), &tags::SongInfo::lyrics, local("窗外的麻雀\r\n")},
      {text(u"WM/Year", u"2004"), &tags::SongInfo::year, "2004"},
      {text(u"WM/URL", u"http://a/"), &tags::SongInfo::url, "http://a/"},
      {text(u"WM/UserWebURL", u"http://b/"), &tags::SongInfo::composer, "http://b/"},
      {text(u"WMFSDKVersion", u"9.00.00.2980"), &tags::SongInfo::sdkVersion, "9.00.00.2980"},
      {text(u"WM/Track", u"6"), &tags::SongInfo::trackIndex, "6"},
      {text(u"WM/TrackNumber", u"07"), &tags::SongInfo::track, "07"},
      {dword(u"WM/TrackNumber", 200), &tags::SongInfo::track, "200"},
      {dword(u"WM/Track", 0xFFFFFFFFu), &tags::SongInfo::trackIndex, "4294967295"},
      // Only a DWORD counts as a number; a string value "3" stays text even in type 1.
      {descriptor(u"WM/TrackNumber", kBytes, utf16z(u"3")), &tags::SongInfo::track, "3"},
      // A text value ends at its first zero unit or at the end of the value.
      {descriptor(u"WM/Genre", kString, ByteBuilder().utf16le(u"Pop").le16(0).utf16le(u"X")),
       &tags::SongInfo::genre, "Pop"},
      {descriptor(u"WM/Genre", kString, ByteBuilder().utf16le(u"Jazz")), &tags::SongInfo::genre,
       "Jazz"},
  };
  for (const auto& c : cases) {
    const Read r =
        readBytes(asfFile({extendedContent({c.descriptor}), contentDescription(u"T", u"")}));
    EXPECT_TRUE(r.result);
    EXPECT_EQ(r.info.*c.field, c.expected) << c.expected;
    EXPECT_EQ(r.info.title, "T") << c.expected;  // the walk went on to the next object
  }
}

TEST(ReadWmaInfo, TrackGoesToTrackIndexAndTrackNumberToTrack) {
  const Read r =
      readBytes(asfFile({extendedContent({dword(u"WM/Track", 4), dword(u"WM/TrackNumber", 5)})}));
  EXPECT_EQ(r.info.trackIndex, "4");
  EXPECT_EQ(r.info.track, "5");
}

TEST(ReadWmaInfo, NamesAreComparedWholeAndCaseSensitively) {
  const Read r = readBytes(asfFile({extendedContent({
      text(u"wm/genre", u"lower"),          // other case: skipped by its length
      text(u"WM/Genr", u"short"),           // a prefix of a name
      text(u"WM/GenreX", u"long"),          // a name with a recognised prefix
      text(u"WM/TrackNumberX", u"9"),       // longer than every recognised name
      descriptor(u"WM/Year", kString, ""),  // no value: nothing to store
      // A name ends at its first zero unit, as any UTF-16 text does.
      descriptor(ByteBuilder().utf16le(u"WM/Lyrics").le16(0).utf16le(u"junk").le16(0).str(),
                 kString, utf16z(u"la")),
      // A name without its terminator.
      descriptor(ByteBuilder().utf16le(u"WM/URL").str(), kString, utf16z(u"u")),
      text(u"WM/Year", u"1999"),
  })}));
  EXPECT_EQ(r.info.genre, "");
  EXPECT_EQ(r.info.track, "");
  EXPECT_EQ(r.info.lyrics, "la");
  EXPECT_EQ(r.info.url, "u");
  EXPECT_EQ(r.info.year, "1999");
}

TEST(ReadWmaInfo, PictureHoldsExactlyTheImageBytes) {
  std::string image = "\xFF\xD8\xFF\xE0";
  image += std::string("\0\0JFIF\0", 7);
  for (int i = 0; i < 300; ++i) image.push_back(static_cast<char>(i * 37));
  const Read r = readBytes(asfFile({extendedContent({
      descriptor(u"WM/Picture", kBytes, pictureValue(image)),
      text(u"WM/Year", u"2001"),
  })}));
  EXPECT_EQ(std::string(r.info.picture.begin(), r.info.picture.end()), image);
  EXPECT_EQ(r.info.year, "2001");
}

TEST(ReadWmaInfo, LargePictureFromAFileSpansTheSourceCache) {
  // 40,000 image bytes cross the file source's 16 KiB blocks; what follows is still read.
  std::string image(40000, '\0');
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 131 + i / 7);
  testing_support::TempDir dir;
  const std::string path = dir.write(
      "cover.wma", asfFile({
                       contentDescription(u"有封面", u"歌手"),
                       extendedContent({descriptor(u"WM/Picture", kBytes, pictureValue(image)),
                                        text(u"WM/Genre", u"Rock")}),
                       fileProperties(2000000000, 0, 0),
                   }));
  tags::SongInfo info;
  EXPECT_TRUE(tags::readWmaInfo(path, info));
  EXPECT_TRUE(std::string(info.picture.begin(), info.picture.end()) == image);
  EXPECT_EQ(info.genre, "Rock");
  EXPECT_EQ(info.duration, "03:20");
  EXPECT_EQ(tags::readSongInfo(path), local("有封面 - 歌手"));
}

TEST(ReadWmaInfo, CodecListGivesEncoderBitRateSampleRateAndChannels) {
  const std::string kStereo = local("立体声"), kMono = local("单声道"), kUnknown = local("未知");
  const struct {
    std::u16string description;
    std::string bitRate, sampleRate, channels;
  } cases[] = {
      {u"128 kbps, 44 kHz, stereo 1-pass CBR", "128 kbps", "44 kHz", kStereo},
      {u"32 kbps, 22 kHz, mono 1-pass CBR", "32 kbps", "22 kHz", kMono},
      {u"192 kbps, 48 kHz, 5.1 channel 24 bit", "192 kbps", "48 kHz", kUnknown},
      {u"64 kbps, 44 kHz, Stereo", "64 kbps", "44 kHz", kUnknown},  // case-sensitive
      {u"VBR,44 kHz,joint-stereo", "VBR", "44 kHz", kStereo},       // anywhere in the part
      // Ideographic spaces are trimmed like ASCII ones; spaces inside stay.
      {u"\u3000 96 kbps\u3000, \u300044 kHz \u3000,mono", "96 kbps", "44 kHz", kMono},
      {u"立体声 128 kbps, 44 kHz, stereo", local("立体声 128 kbps"), "44 kHz", kStereo},
      // Fewer parts fill only their own fields.
      {u"96 kbps", "96 kbps", "", ""},
      {u"96 kbps, 44 kHz", "96 kbps", "44 kHz", ""},
      {u"", "", "", ""},
      {u",,", "", "", kUnknown},
  };
  for (const auto& c : cases) {
    const Read r = readBytes(asfFile({codecList(u"Windows Media Audio 9.2", c.description)}));
    EXPECT_EQ(r.info.encoder, "Windows Media Audio 9.2");
    EXPECT_EQ(r.info.bitRate, c.bitRate) << c.bitRate;
    EXPECT_EQ(r.info.sampleRate, c.sampleRate) << c.bitRate;
    EXPECT_EQ(r.info.channels, c.channels) << c.bitRate;
  }
}

TEST(ReadWmaInfo, TheLaterObjectSetsTheEncoder) {
  const std::string attribute = extendedContent({text(u"WM/EncodedBy", u"tagger")});
  const std::string codecs = codecList(u"WMA", u"64 kbps, 44 kHz, stereo");
  EXPECT_EQ(readBytes(asfFile({attribute, codecs})).info.encoder, "WMA");
  EXPECT_EQ(readBytes(asfFile({codecs, attribute})).info.encoder, "tagger");
}

TEST(ReadWmaInfo, PlayDurationLessPrerollInWholeSeconds) {
  const struct {
    std::uint64_t playDuration;  // 100 ns units
    std::uint64_t preroll;       // ms
    std::uint32_t flags;
    const char* duration;
  } cases[] = {
      {2000000000, 3000, 0x2, "03:17"},
      {2000000000, 3000, 0x1, ""},                   // broadcast: no play time
      {2000000000, 3000, 0x3, ""},                   //
      {2000000000, 0, 0xFFFFFFFE, "03:20"},          // only bit 0 is the broadcast flag
      {19999999, 0, 0, "00:01"},                     // truncated, not rounded
      {73850000000, 0, 0, "123:05"},                 //
      {10000000, 3000, 0, "00:00"},                  // preroll longer than the file
      {0xFFFFFFFFFFFFFFFFull, 0, 0, "35791394:07"},  // beyond 32 bits: clamped
  };
  for (const auto& c : cases) {
    const Read r = readBytes(asfFile({fileProperties(c.playDuration, c.preroll, c.flags)}));
    EXPECT_EQ(r.info.duration, c.duration) << c.playDuration << " " << c.flags;
  }
}

TEST(ReadWmaInfo, OtherObjectsAreSkippedBySize) {
  const Read r = readBytes(asfFile({
      fileProperties(600000000, 0, 0),
      object(kStreamPropertiesGuid, std::string(78, '\x33')),
      object(kStreamPropertiesGuid, ""),  // exactly its own header: still a step forward
      contentDescription(u"Title", u"Artist"),
      codecList(u"WMA", u"1 kbps, 8 kHz, mono"),
  }));
  EXPECT_EQ(r.info.duration, "01:00");
  EXPECT_EQ(r.info.title, "Title");
  EXPECT_EQ(r.info.artist, "Artist");
  EXPECT_EQ(r.info.channels, local("单声道"));
}

TEST(ReadWmaInfo, HeaderObjectCountLimitsTheWalk) {
  const std::vector<std::string> objects = {contentDescription(u"T", u"A"),
                                            extendedContent({text(u"WM/Genre", u"G")})};
  const Read one = readBytes(asfFile(objects, 1));
  EXPECT_EQ(one.info.title, "T");
  EXPECT_EQ(one.info.genre, "");
  // A count far past the objects present ends at the end of the file.
  const Read many = readBytes(asfFile(objects, 0xFFFFFFFFu));
  EXPECT_TRUE(many.result);
  EXPECT_EQ(many.info.genre, "G");
}

TEST(ReadWmaInfo, ObjectSmallerThanItsOwnHeaderEndsTheWalk) {
  // With a size of 0 the walk would stand still and read the same object once for every
  // one of four billion counts.
  for (std::uint64_t size : {0ull, 1ull, 23ull}) {
    const std::string broken = ByteBuilder().raw(kContentGuid).le64(size).str();
    const std::string rest = ByteBuilder().fill(10, 0).raw(contentDescription(u"T", u"A")).str();
    const Read r = readBytes(asfFile({broken + rest}, 0xFFFFFFFFu));
    EXPECT_TRUE(r.result) << size;
    EXPECT_EQ(r.info.title, "") << size;
  }
}

TEST(ReadWmaInfo, ObjectSizePastTheEndEndsTheWalk) {
  // A Content Description object hidden in the body of a skipped object: a size that
  // wrapped around when added to the stray object's offset would land on it.
  const std::string hidden = contentDescription(u"Hidden", u"");
  const std::string carrier = object(kStreamPropertiesGuid, hidden);
  const std::uint64_t hiddenAt = 30 + 24, strayAt = 30 + carrier.size();
  const std::uint64_t wrapsToHidden = 0 - (strayAt - hiddenAt);
  for (std::uint64_t size :
       {wrapsToHidden, std::uint64_t{0xFFFFFFFFFFFFFFFF}, std::uint64_t{1000000}}) {
    const std::string stray = ByteBuilder().raw(kStreamPropertiesGuid).le64(size).str();
    const Read r = readBytes(asfFile({carrier, stray, contentDescription(u"T", u"A")}, 5));
    EXPECT_TRUE(r.result);
    EXPECT_EQ(r.info.title, "") << size;
  }
}

TEST(ReadWmaInfo, LengthsPastTheEndAreClampedToTheFile) {
  // Content strings: the characters present.
  const std::string lengths = ByteBuilder().le16(0xFFFF).le16(0).le16(0).le16(0).le16(0);
  Read r = readBytes(asfFile({object(kContentGuid, lengths + utf16z(u"截断"))}) + "\x41");
  EXPECT_EQ(r.info.title, local("截断"));

  // A descriptor count past the end ends with the descriptors present.
  const std::string manyDescriptors = ByteBuilder()
                                          .raw(kExtendedGuid)
                                          .le64(0xFFFFFF)
                                          .le16(0xFFFF)
                                          .raw(text(u"WM/Year", u"1"))
                                          .str();
  r = readBytes(asfFile({manyDescriptors}));
  EXPECT_EQ(r.info.year, "1");

  // A picture whose image runs past the end of the file: the bytes present.
  const std::string image(100, '\x7F');
  const std::string truncated = ByteBuilder()
                                    .le16(utf16z(u"WM/Picture").size())
                                    .raw(utf16z(u"WM/Picture"))
                                    .le16(kBytes)
                                    .le16(60000)
                                    .u8(3)
                                    .le32(60000 - 5 - 4)
                                    .le16(0)
                                    .le16(0)
                                    .raw(image)
                                    .str();
  r = readBytes(asfFile({ByteBuilder().raw(kExtendedGuid).le64(70000).le16(1).raw(truncated)}));
  EXPECT_EQ(std::string(r.info.picture.begin(), r.info.picture.end()), image);

  // A codec name longer than the file.
  const std::string codec = ByteBuilder()
                                .raw(kCodecListGuid)
                                .le64(0xFFFF)
                                .fill(16, 0)
                                .le32(1)
                                .le16(2)
                                .le16(0xFFFF)
                                .utf16le(u"WMA")
                                .str();
  r = readBytes(asfFile({codec}));
  EXPECT_EQ(r.info.encoder, "WMA");
}

TEST(ReadWmaInfo, WmaObjectBoundedBySize) {
  // A title whose length runs past its object stops at the object's end, and the walk goes
  // on with the next object.
  const std::string lengths = ByteBuilder().le16(0xFFFF).le16(0).le16(0).le16(0).le16(0);
  const Read r =
      readBytes(asfFile({object(kContentGuid, lengths + ByteBuilder().utf16le(u"T").str()),
                         extendedContent({text(u"WM/Genre", u"G")})}));
  EXPECT_EQ(r.info.title, "T");
  EXPECT_EQ(r.info.genre, "G");
}

TEST(ReadWmaInfo, PictureDataLongerThanItsValueIsNotRead) {
  // Skipping "value length - data length - 5" bytes would go backwards here.
  const std::string value = ByteBuilder().u8(3).le32(0xFFFFFFF0u).raw(utf16z(u"image/png"));
  const std::string small = ByteBuilder().u8(3).le32(3).bytes({0xAA, 0xBB});  // short by one
  for (const std::string& v : {value, small, std::string("\x03\x00", 2)}) {
    const Read r = readBytes(asfFile({extendedContent({
        descriptor(u"WM/Picture", kBytes, v),
        text(u"WM/Year", u"2010"),
    })}));
    EXPECT_TRUE(r.info.picture.empty());
    EXPECT_EQ(r.info.year, "2010");  // the next descriptor is where the value ends
  }
}

TEST(ReadWmaInfo, NumberValuesOfTheWrongLengthKeepTheNextDescriptorInPlace) {
  const Read r = readBytes(asfFile({extendedContent({
      descriptor(u"WM/TrackNumber", kDword, ByteBuilder().le16(200)),           // two bytes only
      descriptor(u"WM/Track", kDword, ByteBuilder().le32(7).le32(0xFFFFFFFF)),  // eight
      text(u"WM/Year", u"2010"),
  })}));
  EXPECT_EQ(r.info.track, "200");
  EXPECT_EQ(r.info.trackIndex, "7");
  EXPECT_EQ(r.info.year, "2010");
}

TEST(ReadWmaInfo, CodecListWithoutEntriesLeavesTheEncoderAlone) {
  const Read r = readBytes(asfFile({
      extendedContent({text(u"WM/EncodedBy", u"tagger")}),
      codecList(u"", u"", 0),
      contentDescription(u"T", u"A"),
  }));
  EXPECT_EQ(r.info.encoder, "tagger");
  EXPECT_EQ(r.info.title, "T");
}

}  // namespace
