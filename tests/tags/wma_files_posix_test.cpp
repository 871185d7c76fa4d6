// Real WMA files made at test time by ffmpeg's wmav2 encoder and tagged by mutagen, read
// back through `lyrivane info --json` and compared with what the encoder and tagger wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "platform/text.h"
#include "tags/wma.h"
#include "tests/support/process_posix.h"
#include "tests/support/song_files_posix.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::infoJson;
using testing_support::jsonField;
using testing_support::keyValues;
using testing_support::runCommand;
using testing_support::shellQuote;

// What mutagen, an independent ASF reader, finds in the file's header: the first codec's
// name, the play time in whole seconds (play duration less preroll) and whether the
// Extended Content Description object comes after the Codec List object.
const char kProbeScript[] = R"(import sys
from mutagen.asf import ASF
f = ASF(sys.argv[1])
names = [type(o).__name__ for o in f._header.objects]
print('codec=' + f.info.codec_name)
print('description=' + f.info.codec_description)
print('seconds=%d' % int(f.info.length))
print('attributesLast=%d' % (names.index('ExtendedContentDescriptionObject') >
                             names.index('CodecListObject')))
)";

std::map<std::string, std::string> probe(const testing_support::TempDir& dir,
                                         const std::string& pathUtf8) {
  const std::string script = platform::localToUtf8(dir.write("probe.py", kProbeScript));
  const auto r = runCommand(std::string(testing_support::kDebianPython) + " " + shellQuote(script) +
                            " " + shellQuote(pathUtf8));
  EXPECT_EQ(r.exitCode, 0) << r.out;
  return keyValues(r.out);
}

std::string minutesAndSeconds(int seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
  return text;
}

// Encodes a sine tone of `seconds` with wmav2; extra arguments go before the output.
void encodeWma(const std::string& pathUtf8, const char* seconds, const std::string& extra) {
  const auto r =
      runCommand(std::string("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
                             "sine=frequency=440:duration=") +
                 seconds + " -c:a wmav2 -b:a 64k " + extra + " " + shellQuote(pathUtf8));
  ASSERT_EQ(r.exitCode, 0) << "ffmpeg failed";
}

TEST(WmaFiles, FfmpegTagsReachTheRecord) {
  testing_support::TempDir dir;
  const std::string path = platform::localToUtf8(dir.path()) + "海阔天空.wma";
  const std::string lyrics = "今天我 寒夜里看雪飘过\n怀着冷却了的心窝漂远方";
  encodeWma(path, "65.5",
            "-ac 2 -metadata title=海阔天空 -metadata artist=黄家驹 -metadata album=乐与怒 "
            "-metadata genre=摇滚 -metadata track=7 -metadata " +
                shellQuote("copyright=(c) 1993 Beyond") + " -metadata WM/Year=1993 " +
                "-metadata " + shellQuote("WM/Lyrics=" + lyrics) +
                " -metadata WM/URL=http://example.com/ -metadata WM/EncodedBy=ffmpeg-test");
  const auto asf = probe(dir, path);
  const std::string json = infoJson(path);

  EXPECT_EQ(jsonField(json, "summary"), "海阔天空 - 黄家驹");
  EXPECT_EQ(jsonField(json, "title"), "海阔天空");
  EXPECT_EQ(jsonField(json, "artist"), "黄家驹");
  EXPECT_EQ(jsonField(json, "album"), "乐与怒");
  EXPECT_EQ(jsonField(json, "genre"), "摇滚");
  EXPECT_EQ(jsonField(json, "track"), "7");
  EXPECT_EQ(jsonField(json, "copyright"), "(c) 1993 Beyond");
  EXPECT_EQ(jsonField(json, "year"), "1993");
  EXPECT_EQ(jsonField(json, "lyrics"), lyrics);
  EXPECT_EQ(jsonField(json, "url"), "http://example.com/");
  // Encoder: whichever of the attribute and the codec list comes later in the header.
  ASSERT_FALSE(asf.at("codec").empty());
  EXPECT_EQ(jsonField(json, "encoder"),
            asf.at("attributesLast") == "1" ? "ffmpeg-test" : asf.at("codec"));
  EXPECT_EQ(jsonField(json, "duration"), minutesAndSeconds(std::stoi(asf.at("seconds"))));
  EXPECT_EQ(jsonField(json, "duration"), "01:05");
  EXPECT_EQ(jsonField(json, "picture"), "0");
}

TEST(WmaFiles, MutagenNumbersAndPictureReachTheRecord) {
  testing_support::TempDir dir;
  const std::string path = platform::localToUtf8(dir.path()) + "七里香.wma";
  encodeWma(path, "5", "-ac 1 -map_metadata -1");

  // An image of every byte value, larger than the file source's 16 KiB block.
  std::string image(30000, '\0');
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + i / 256);
  const std::string imagePath = platform::localToUtf8(dir.write("cover.jpg", image));
  const std::string script = platform::localToUtf8(dir.write("tag.py", R"(import struct, sys
from mutagen.asf import ASF, ASFDWordAttribute, ASFByteArrayAttribute
def z(s): return s.encode('utf-16-le') + b'\0\0'
f = ASF(sys.argv[1])
image = open(sys.argv[2], 'rb').read()
f['Title'] = '七里香'
f['Author'] = '周杰伦'
f['Copyright'] = '杰威尔'
f['Description'] = '第五张专辑'
f['WM/AlbumTitle'] = '七里香'
f['wm/genre'] = 'lower case is another name'
f['WM/Genre'] = 'R&B'
f['WM/TrackNumber'] = ASFDWordAttribute(200)
f['WM/Track'] = ASFDWordAttribute(199)
f['WM/Year'] = '2004'
f['WM/Lyrics'] = '窗外的麻雀\r\n在电线杆上多嘴'
f['WM/UserWebURL'] = 'http://example.org/jay'
f['WMFSDKVersion'] = '9.00.00.2980'
f['WM/EncodedBy'] = 'tagger'
f['WM/Picture'] = ASFByteArrayAttribute(
    struct.pack('<BI', 3, len(image)) + z('image/jpeg') + z('封面') + image)
f.save()
)"));
  ASSERT_EQ(runCommand(std::string(testing_support::kDebianPython) + " " + shellQuote(script) +
                       " " + shellQuote(path) + " " + shellQuote(imagePath))
                .exitCode,
            0)
      << "mutagen failed";
  const auto asf = probe(dir, path);
  const std::string json = infoJson(path);

  EXPECT_EQ(jsonField(json, "summary"), "七里香 - 周杰伦");
  EXPECT_EQ(jsonField(json, "copyright"), "杰威尔");
  EXPECT_EQ(jsonField(json, "comment"), "第五张专辑");
  EXPECT_EQ(jsonField(json, "album"), "七里香");
  EXPECT_EQ(jsonField(json, "genre"), "R&B");
  EXPECT_EQ(jsonField(json, "track"), "200");
  EXPECT_EQ(jsonField(json, "trackIndex"), "199");
  EXPECT_EQ(jsonField(json, "year"), "2004");
  EXPECT_EQ(jsonField(json, "lyrics"), "窗外的麻雀\r\n在电线杆上多嘴");
  EXPECT_EQ(jsonField(json, "composer"), "http://example.org/jay");
  EXPECT_EQ(jsonField(json, "sdkVersion"), "9.00.00.2980");
  EXPECT_EQ(jsonField(json, "encoder"),
            asf.at("attributesLast") == "1" ? "tagger" : asf.at("codec"));
  EXPECT_EQ(jsonField(json, "duration"), minutesAndSeconds(std::stoi(asf.at("seconds"))));
  EXPECT_EQ(jsonField(json, "picture"), "30000");

  // The picture's bytes themselves, through the reader.
  tags::SongInfo info;
  EXPECT_TRUE(tags::readWmaInfo(platform::utf8ToLocal(path), info));
  EXPECT_TRUE(std::string(info.picture.begin(), info.picture.end()) == image);
}

TEST(WmaFiles, AnMp3NamedWmaGivesNoTags) {
  testing_support::TempDir dir;
  const std::string path = platform::localToUtf8(dir.path()) + "not-asf.wma";
  ASSERT_EQ(runCommand("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
                       "sine=duration=1 -c:a libmp3lame -f mp3 -metadata title=T -metadata "
                       "artist=A " +
                       shellQuote(path))
                .exitCode,
            0);
  const std::string json = infoJson(path);
  EXPECT_EQ(jsonField(json, "summary"), " - ");
  EXPECT_EQ(jsonField(json, "duration"), "");
  tags::SongInfo info;
  EXPECT_FALSE(tags::readWmaInfo(platform::utf8ToLocal(path), info));
}

}  // namespace
