// Real MP3 files: encoded by lame, tagged at test time by mutagen and eyeD3, read back
// through the `lyrivane info` command line.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "tests/support/byte_builder.h"
#include "tests/support/process_posix.h"
#include "tests/support/song_files_posix.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ByteBuilder;
using testing_support::infoJson;
using testing_support::jsonField;
using testing_support::runCommand;
using testing_support::shellQuote;
using testing_support::TempDir;

// Tags a file from a JSON job: {"path", "version": 3|4, "frames": [...], "v1", "onlyV1"}.
// A frame is {"id", "enc", "text"} (COMM/USLT add "lang" and "desc"; APIC has "file");
// "gbk": true stores the text's GBK bytes, the way legacy Chinese taggers wrote them.
const char kMutagenTagger[] = R"(
import json, sys
from mutagen import id3
job = json.loads(sys.argv[1])
tags = id3.ID3()
for f in job["frames"]:
    text = f.get("text", "")
    if f.get("gbk"):
        text = text.encode("gbk").decode("latin-1")
    if f["id"] in ("COMM", "USLT"):
        frame = id3.Frames[f["id"]](encoding=f["enc"], lang=f["lang"], desc=f["desc"], text=text)
    elif f["id"] == "APIC":
        with open(f["file"], "rb") as image:
            frame = id3.APIC(encoding=f["enc"], mime="image/jpeg", type=3, desc="",
                             data=image.read())
    else:
        frame = id3.Frames[f["id"]](encoding=f["enc"], text=[text])
    tags.add(frame)
tags.save(job["path"], v2_version=job.get("version", 4), v1=job.get("v1", 0))
if job.get("onlyV1"):
    id3.delete(job["path"], delete_v1=False, delete_v2=True)
)";

class Mp3Tags : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TempDir dir;
    // A tenth of a second of silence, 44.1 kHz mono 16-bit, for lame to encode.
    const std::uint32_t samples = 4410;
    const std::string wav = ByteBuilder()
                                .raw("RIFF")
                                .le32(36 + samples * 2)
                                .raw("WAVEfmt ")
                                .le32(16)
                                .le16(1)
                                .le16(1)
                                .le32(44100)
                                .le32(88200)
                                .le16(2)
                                .le16(16)
                                .raw("data")
                                .le32(samples * 2)
                                .fill(samples * 2, 0);
    const std::string in = dir.write("in.wav", wav);
    const std::string out = dir.path() + "out.mp3";
    ASSERT_EQ(runCommand("lame --silent " + shellQuote(in) + " " + shellQuote(out)).exitCode, 0);
    audio_ = TempDir::read(out);
    ASSERT_EQ(audio_.substr(0, 1), "\xFF");  // bare frames, no tag of lame's own
  }

  // A fresh untagged song in the test's folder.
  std::string song(const std::string& name, const std::string& tagBytes = "") const {
    return dir_.write(name, tagBytes + audio_);
  }

  void mutagen(const std::string& job) const {
    ASSERT_EQ(runCommand(std::string(testing_support::kDebianPython) + " -c " +
                         shellQuote(kMutagenTagger) + " " + shellQuote(job))
                  .exitCode,
              0)
        << job;
  }

  void eyeD3(const std::string& options, const std::string& path) const {
    ASSERT_EQ(runCommand("eyeD3 --no-config --no-color " + options + " " + shellQuote(path) +
                         " >/dev/null")
                  .exitCode,
              0)
        << options;
  }

  // `lyrivane info` on the paths: the summary printed for each, in order.
  static std::vector<std::string> info(const std::vector<std::string>& paths) {
    std::string command = testing_support::lyrivaneBinary() + " info";
    for (const auto& p : paths) command += " " + shellQuote(p);
    const auto result = runCommand(command);
    EXPECT_EQ(result.exitCode, 0);
    std::vector<std::string> summaries;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);)
      summaries.push_back(line.substr(line.find('\t') + 1));
    return summaries;
  }

  static std::string audio_;
  TempDir dir_;
};

std::string Mp3Tags::audio_;

TEST_F(Mp3Tags, MutagenTagsInEveryVersionAndEncoding) {
  const std::string v23utf16 = song("v23utf16.mp3");
  mutagen(R"({"path": ")" + v23utf16 + R"(", "version": 3, "frames": [
      {"id": "TIT2", "enc": 1, "text": "歌名 仿 𝄞"}, {"id": "TPE1", "enc": 1, "text": "歌手ÿ"}]})");
  const std::string v24utf8 = song("v24utf8.mp3");
  mutagen(R"({"path": ")" + v24utf8 + R"(", "version": 4, "frames": [
      {"id": "TIT2", "enc": 3, "text": "红豆"}, {"id": "TPE1", "enc": 3, "text": "王菲"},
      {"id": "COMM", "enc": 3, "lang": "zho", "desc": "", "text": "评论"},
      {"id": "USLT", "enc": 3, "lang": "chi", "desc": "", "text": ")" +
          std::string(300, 'l') + R"("}]})");
  const std::string v24utf16be = song("v24utf16be.mp3");
  mutagen(R"({"path": ")" + v24utf16be + R"(", "version": 4, "frames": [
      {"id": "TIT2", "enc": 2, "text": "天空"}, {"id": "TPE1", "enc": 2, "text": "王菲"}]})");
  const std::string v23latin = song("v23latin.mp3");
  mutagen(R"({"path": ")" + v23latin + R"(", "version": 3, "frames": [
      {"id": "TIT2", "enc": 0, "text": "english rose"}, {"id": "TPE1", "enc": 0, "text": "chill out"},
      {"id": "COMM", "enc": 1, "lang": "XXX", "desc": "", "text": "note"}]})");

  EXPECT_EQ(info({v23utf16, v24utf8, v24utf16be, v23latin}),
            (std::vector<std::string>{"歌名 仿 𝄞 - 歌手ÿ", "红豆 - 王菲", "天空 - 王菲",
                                      "english rose - chill out"}));
  EXPECT_EQ(jsonField(infoJson(v24utf8), "comment"), "评论");
  EXPECT_EQ(jsonField(infoJson(v24utf8), "lyrics"), std::string(300, 'l'));
  EXPECT_EQ(jsonField(infoJson(v23latin), "comment"), "note");
}

TEST_F(Mp3Tags, EyeD3PutsALargePictureBeforeTheTitle) {
  // eyeD3 writes frames in id order, APIC first: with a 20000-byte picture in an ID3v2.4
  // tag the title and artist are only found when frame sizes are read as syncsafe.
  std::string image = "\xFF\xD8\xFF\xE0";
  for (int i = 0; image.size() < 20000; ++i) image.push_back(static_cast<char>(i * 131 + 7));
  const std::string cover = dir_.write("cover.jpg", image);
  const std::string utf8 = song("utf8.mp3");
  eyeD3("--to-v2.4 --encoding utf8 -t '晴天 Sunny' -a '周杰伦' --add-image " +
            shellQuote(cover + ":FRONT_COVER"),
        utf8);
  const std::string utf16 = song("utf16.mp3");
  eyeD3("--to-v2.4 --encoding utf16 -t '晴天 Sunny' -a '周杰伦' --add-image " +
            shellQuote(cover + ":FRONT_COVER"),
        utf16);
  const std::string v23 = song("v23.mp3");
  eyeD3("--to-v2.3 --encoding utf16 -t '晴天 Sunny' -a '周杰伦' --add-image " +
            shellQuote(cover + ":FRONT_COVER"),
        v23);
  ASSERT_EQ(TempDir::read(utf8).substr(0, 4), "ID3\x04");
  ASSERT_EQ(TempDir::read(utf8).substr(10, 4), "APIC");

  EXPECT_EQ(info({utf8, utf16, v23}), std::vector<std::string>(3, "晴天 Sunny - 周杰伦"));
  // With a UTF-8 (one-byte NUL) empty description the image comes out whole.
  EXPECT_EQ(jsonField(infoJson(utf8), "picture"), "20000");
}

TEST_F(Mp3Tags, EyeD3ExtendedHeaderIsSteppedOver) {
  // eyeD3's library writes an extended header on request, in ID3v2.3 and 2.4 alike.
  static const char kTagger[] = R"(
import eyed3, logging, sys
eyed3.log.setLevel(logging.ERROR)
version = (2, int(sys.argv[2]), 0)
song = eyed3.load(sys.argv[1])
song.initTag(version=version)
song.tag.title = "晴天 Sunny"
song.tag.artist = "周杰伦"
song.tag.header.extended = True
song.tag.save(version=version)
)";
  std::vector<std::string> paths;
  for (const char* version : {"3", "4"}) {
    paths.push_back(song(std::string("extended") + version + ".mp3"));
    ASSERT_EQ(runCommand(std::string(testing_support::kDebianPython) + " -c " +
                         shellQuote(kTagger) + " " + shellQuote(paths.back()) + " " + version)
                  .exitCode,
              0);
    ASSERT_EQ(static_cast<int>(TempDir::read(paths.back())[5]), 0x40) << version;
  }
  EXPECT_EQ(info(paths), std::vector<std::string>(2, "晴天 Sunny - 周杰伦"));
}

TEST_F(Mp3Tags, Id3v22TagAgreesWithMutagen) {
  // No Debian tagger writes ID3v2.2 any more: the tag is built here and mutagen, which
  // reads it, says what it holds.
  const std::string title = ByteBuilder().bytes({1, 0xFF, 0xFE}).utf16le(u"老歌");
  const std::string artist = ByteBuilder().bytes({0}).raw("Old Band");
  const std::string frames = ByteBuilder()
                                 .raw("TT2")
                                 .be24(static_cast<std::uint32_t>(title.size()))
                                 .raw(title)
                                 .raw("TP1")
                                 .be24(static_cast<std::uint32_t>(artist.size()))
                                 .raw(artist);
  const std::string path = song("v22.mp3", ByteBuilder()
                                               .raw("ID3")
                                               .bytes({2, 0, 0})
                                               .syncsafe32(frames.size() + 64)
                                               .raw(frames)
                                               .fill(64, 0));
  const auto mutagenView =
      runCommand(std::string(testing_support::kDebianPython) +
                 " -c 'import sys; from mutagen import id3; t = id3.ID3(sys.argv[1]); "
                 "print(t.version[1], t[\"TIT2\"].text[0] + \" - \" + t[\"TPE1\"].text[0])' " +
                 shellQuote(path));
  ASSERT_EQ(mutagenView.exitCode, 0);
  EXPECT_EQ(mutagenView.out, "2 老歌 - Old Band\n");
  EXPECT_EQ(info({path}), std::vector<std::string>{"老歌 - Old Band"});
}

TEST_F(Mp3Tags, Id3v1WithGbkBytes) {
  // ID3v1 alone, and ID3v1 behind an ID3v2 tag that has no title.
  const std::string onlyV1 = song("v1.mp3");
  mutagen(R"({"path": ")" + onlyV1 + R"(", "v1": 2, "onlyV1": true, "frames": [
      {"id": "TIT2", "enc": 0, "gbk": true, "text": "　月亮代表我的心 "},
      {"id": "TPE1", "enc": 0, "gbk": true, "text": "邓丽君"},
      {"id": "TCON", "enc": 0, "text": "Pop"}]})");
  const std::string fallback = song("fallback.mp3");
  mutagen(R"({"path": ")" + fallback + R"(", "v1": 2, "onlyV1": true, "frames": [
      {"id": "TIT2", "enc": 0, "gbk": true, "text": "甜蜜蜜"},
      {"id": "TPE1", "enc": 0, "gbk": true, "text": "邓丽君"}]})");
  eyeD3("-2 --to-v2.3 -A Album", fallback);
  const std::string v1 = TempDir::read(onlyV1);
  ASSERT_EQ(v1.substr(v1.size() - 128, 3), "TAG");
  ASSERT_NE(v1.substr(0, 3), "ID3");
  const std::string both = TempDir::read(fallback);
  ASSERT_EQ(both.substr(0, 3), "ID3");
  ASSERT_EQ(both.substr(both.size() - 128, 3), "TAG");

  EXPECT_EQ(info({onlyV1, fallback}),
            (std::vector<std::string>{"月亮代表我的心 - 邓丽君", "甜蜜蜜 - 邓丽君"}));
  EXPECT_EQ(jsonField(infoJson(onlyV1), "genre"), "Pop");
}

}  // namespace
