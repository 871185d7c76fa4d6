// Ogg Vorbis and FLAC files made by real encoders and tagged by real taggers, read through
// `lyrivane info --json` and checked against what those tools wrote.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <map>
#include <sstream>

#include "tests/support/process_posix.h"
#include "tests/support/song_files_posix.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::jsonField;
using testing_support::keyValues;
using testing_support::runCommand;
using testing_support::shellQuote;

long long fileSize(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

class OggFlacFiles : public ::testing::Test {
 protected:
  // Runs a shell command that must succeed; returns its standard output.
  std::string sh(const std::string& command) {
    const auto result = runCommand(command);
    EXPECT_EQ(result.exitCode, 0) << command;
    return result.out;
  }

  // A sine tone as 16-bit (or `codec`) PCM WAVE.
  std::string wave(const std::string& name, int channels, int sampleRate, double seconds,
                   const std::string& codec = "pcm_s16le") {
    const std::string path = dir.path() + name;
    sh("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i sine=frequency=440:"
       "sample_rate=" +
       std::to_string(sampleRate) + ":duration=" + std::to_string(seconds) + " -ac " +
       std::to_string(channels) + " -c:a " + codec + " -bitexact -map_metadata -1 " +
       shellQuote(path));
    return path;
  }

  std::string info(const std::string& path) {
    return sh(testing_support::lyrivaneBinary() + " info --json " + shellQuote(path));
  }

  // What mutagen finds in an Ogg Vorbis file: vendor, samples (the last granule), rate and
  // channels, and how many pages carry the header packets.
  std::map<std::string, std::string> oggFacts(const std::string& path) {
    return keyValues(
        sh(std::string(testing_support::kDebianPython) + " - " + shellQuote(path) + R"( <<'EOF'
import sys
from mutagen.oggvorbis import OggVorbis
from mutagen.ogg import OggPage
f = OggVorbis(sys.argv[1])
print("vendor=" + f.tags.vendor)
print("samples=%d" % round(f.info.length * f.info.sample_rate))
print("rate=%d" % f.info.sample_rate)
print("channels=%d" % f.info.channels)
headerPages = 0
with open(sys.argv[1], "rb") as data:
    while True:
        page = OggPage(data)
        if page.position not in (0, -1):  # -1: no packet ends on the page
            break
        headerPages += 1
print("headerPages=%d" % headerPages)
EOF)"));
  }

  // What metaflac finds in a FLAC file.
  std::map<std::string, std::string> flacFacts(const std::string& path) {
    const std::string out =
        sh("metaflac --show-vendor-tag --show-total-samples --show-sample-rate --show-channels "
           "--show-bps " +
           shellQuote(path));
    std::istringstream lines(out);
    std::map<std::string, std::string> facts;
    for (const char* key : {"vendor", "samples", "rate", "channels", "bps"})
      std::getline(lines, facts[key]);
    return facts;
  }

  testing_support::TempDir dir;
};

TEST_F(OggFlacFiles, OggencTagsInLowerCaseAndTheStreamFacts) {
  const std::string wav = wave("tone.wav", 2, 44100, 3.5);
  const std::string ogg = dir.path() + "tone.ogg";
  // oggenc writes its names in lower case: title=, artist=, ...
  sh("oggenc -Q -t 'Tone' -a 'The Band' -l 'Sines' -N 7 -d 2024 -G 'Test' -o " + shellQuote(ogg) +
     " " + shellQuote(wav));
  const auto facts = oggFacts(ogg);
  const std::string json = info(ogg);
  EXPECT_EQ(jsonField(json, "summary"), "Tone - The Band");
  EXPECT_EQ(jsonField(json, "album"), "Sines");
  EXPECT_EQ(jsonField(json, "track"), "7");
  EXPECT_EQ(jsonField(json, "year"), "2024");
  EXPECT_EQ(jsonField(json, "genre"), "Test");
  EXPECT_EQ(jsonField(json, "encoder"), "Vorbis(" + facts.at("vendor") + ")");
  EXPECT_EQ(jsonField(json, "sampleRate"), "44100");
  EXPECT_EQ(jsonField(json, "channels"), "立体声");

  const long long samples = std::stoll(facts.at("samples"));
  EXPECT_EQ(samples, 154350);  // 3.5 s at 44100 Hz
  EXPECT_EQ(jsonField(json, "duration"), "00:03");
  const double ms = std::round(samples / 44100.0 * 1000.0);
  EXPECT_EQ(jsonField(json, "bitRate"),
            std::to_string(std::llround(fileSize(ogg) / ms / 125.0 * 1000.0)));
}

TEST_F(OggFlacFiles, VorbiscommentTagsInUpperCaseWithChineseText) {
  const std::string ogg = dir.path() + "zh.ogg";
  sh("oggenc -Q -o " + shellQuote(ogg) + " " + shellQuote(wave("zh.wav", 1, 22050, 1.0)));
  sh("vorbiscomment -w -R -t 'TITLE=月亮代表我的心' -t 'ARTIST=邓丽君' -t 'ARTIST=鄧麗君' "
     "-t 'PERFORMER=乐队' -t 'DESCRIPTION=说明' -t 'COMMENT=a=b' " +
     shellQuote(ogg));
  const std::string json = info(ogg);
  EXPECT_EQ(jsonField(json, "title"), "月亮代表我的心");
  EXPECT_EQ(jsonField(json, "artist"), "鄧麗君");  // the last of two wins
  EXPECT_EQ(jsonField(json, "performer"), "乐队");
  EXPECT_EQ(jsonField(json, "description"), "说明");
  EXPECT_EQ(jsonField(json, "comment"), "a");  // cut at its own "="
  EXPECT_EQ(jsonField(json, "channels"), "单声道");
  EXPECT_EQ(jsonField(json, "sampleRate"), "22050");
  EXPECT_EQ(jsonField(json, "duration"), "00:01");
}

TEST_F(OggFlacFiles, ACoverPictureSpanningPagesBeforeTheTitle) {
  const std::string ogg = dir.path() + "cover.ogg";
  sh("oggenc -Q -o " + shellQuote(ogg) + " " + shellQuote(wave("cover.wav", 2, 44100, 1.0)));
  // mutagen writes the comments in the order given, on pages of about 4 KiB.
  sh(std::string(testing_support::kDebianPython) + " - " + shellQuote(ogg) + R"( <<'EOF'
import base64, sys
from mutagen.oggvorbis import OggVorbis
from mutagen.flac import Picture
f = OggVorbis(sys.argv[1])
picture = Picture()
picture.type = 3
picture.mime = "image/jpeg"
picture.data = bytes((i * 7919) % 251 for i in range(300000))
f.tags.clear()
f.tags.append(("METADATA_BLOCK_PICTURE", base64.b64encode(picture.write()).decode()))
f.tags.append(("Title", "封面之后"))
f.tags.append(("artist", "Singer"))
f.tags.append(("lyrics", "第一行"))
f.save()
EOF)");
  EXPECT_GT(std::stoi(oggFacts(ogg).at("headerPages")), 20);
  const std::string json = info(ogg);
  EXPECT_EQ(jsonField(json, "summary"), "封面之后 - Singer");
  EXPECT_EQ(jsonField(json, "lyrics"), "第一行");
  EXPECT_EQ(jsonField(json, "duration"), "00:01");
}

TEST_F(OggFlacFiles, OggChannelWords) {
  const struct {
    int channels;
    bool ffmpeg;  // oggenc or ffmpeg's libvorbis
    const char* word;
  } cases[] = {
      {1, false, "单声道"},
      {5, false, "5.1通道"},
      {6, true, "未知"},
  };
  for (const auto& c : cases) {
    const std::string name = "ch" + std::to_string(c.channels);
    const std::string wav = wave(name + ".wav", c.channels, 48000, 0.5);
    const std::string ogg = dir.path() + name + ".ogg";
    if (c.ffmpeg)
      sh("ffmpeg -nostdin -hide_banner -loglevel error -y -i " + shellQuote(wav) +
         " -c:a libvorbis " + shellQuote(ogg));
    else
      sh("oggenc -Q -o " + shellQuote(ogg) + " " + shellQuote(wav));
    ASSERT_EQ(oggFacts(ogg).at("channels"), std::to_string(c.channels));
    const std::string json = info(ogg);
    EXPECT_EQ(jsonField(json, "channels"), c.word) << c.channels;
    EXPECT_EQ(jsonField(json, "sampleRate"), "48000") << c.channels;
  }
}

TEST_F(OggFlacFiles, FlacTagsPictureAndStreamFacts) {
  const std::string flac = dir.path() + "tone.flac";
  sh("flac -s -f -T 'TITLE=Tone' -T 'artist=The Band' -T 'Album=Sines' -T 'tracknumber=4' "
     "-T 'URL=http://example.org/' -o " +
     shellQuote(flac) + " " + shellQuote(wave("tone.wav", 2, 44100, 3.5)));
  sh("head -c 150000 /dev/urandom > " + shellQuote(dir.path() + "cover.bin"));
  sh("metaflac --import-picture-from='3|image/jpeg||640x480x24|" + dir.path() + "cover.bin' " +
     shellQuote(flac));
  const auto facts = flacFacts(flac);
  const std::string json = info(flac);
  EXPECT_EQ(jsonField(json, "summary"), "Tone - The Band");
  EXPECT_EQ(jsonField(json, "album"), "Sines");
  EXPECT_EQ(jsonField(json, "track"), "4");
  EXPECT_EQ(jsonField(json, "url"), "http://example.org/");
  EXPECT_EQ(jsonField(json, "encoder"), "Free Lossless Audio Codec(" + facts.at("vendor") + ")");
  EXPECT_EQ(jsonField(json, "sampleRate"), facts.at("rate"));
  EXPECT_EQ(jsonField(json, "channels"), "立体声");
  EXPECT_NE(json.find("\"picture\": 0}"), std::string::npos);  // PICTURE blocks are skipped

  const long long samples = std::stoll(facts.at("samples"));
  EXPECT_EQ(samples, 154350);
  EXPECT_EQ(jsonField(json, "duration"), "00:03");
  const double raw = samples * 2.0 * std::stoi(facts.at("bps")) / 8.0;
  EXPECT_EQ(jsonField(json, "bitRate"), std::to_string(std::llround(fileSize(flac) / raw * 100.0)));
}

TEST_F(OggFlacFiles, FlacChineseLowerCaseTagsAndChannelWords) {
  const struct {
    int channels;
    int sampleRate;
    const char* codec;
    const char* word;
  } cases[] = {
      {1, 22050, "pcm_s16le", "单声道"},
      {6, 96000, "pcm_s24le", "多声道"},
  };
  for (const auto& c : cases) {
    const std::string name = "ch" + std::to_string(c.channels);
    const std::string flac = dir.path() + name + ".flac";
    sh("flac -s -f -o " + shellQuote(flac) + " " +
       shellQuote(wave(name + ".wav", c.channels, c.sampleRate, 2.0, c.codec)));
    sh("metaflac --no-utf8-convert --set-tag='title=夜来香' --set-tag='artist=李香兰' " +
       shellQuote(flac));
    const auto facts = flacFacts(flac);
    ASSERT_EQ(facts.at("channels"), std::to_string(c.channels));
    const std::string json = info(flac);
    EXPECT_EQ(jsonField(json, "summary"), "夜来香 - 李香兰") << c.channels;
    EXPECT_EQ(jsonField(json, "channels"), c.word) << c.channels;
    EXPECT_EQ(jsonField(json, "sampleRate"), std::to_string(c.sampleRate));
    EXPECT_EQ(jsonField(json, "duration"), "00:02");
  }
}

TEST_F(OggFlacFiles, FlacBehindAnId3v2TagIsNotRead) {
  const std::string flac = dir.path() + "id3.flac";
  sh("flac -s -f -T 'TITLE=Hidden' -o " + shellQuote(flac) + " " +
     shellQuote(wave("id3.wav", 2, 44100, 0.5)));
  sh(std::string(testing_support::kDebianPython) +
     " -c 'import sys; from mutagen.id3 import ID3, TIT2; t = ID3(); "
     "t.add(TIT2(encoding=3, text=\"ID3 title\")); t.save(sys.argv[1])' " +
     shellQuote(flac));
  ASSERT_EQ(sh("head -c 3 " + shellQuote(flac)), "ID3");
  const std::string json = info(flac);
  EXPECT_EQ(jsonField(json, "summary"), " - ");
  EXPECT_EQ(jsonField(json, "sampleRate"), "");
  EXPECT_EQ(jsonField(json, "encoder"), "");
}

}  // namespace
