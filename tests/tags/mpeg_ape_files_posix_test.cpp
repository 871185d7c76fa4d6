// Real MP3 and Monkey's Audio files made at test time by real encoders (lame, ffmpeg, jmac)
// and tagged by real taggers (mutagen, eyeD3), read back through `lyrivane info --json`
// and compared with what the encoder was told to write.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "tags/ape.h"
#include "tests/support/process_posix.h"
#include "tests/support/song_files_posix.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::jsonField;
using testing_support::runCommand;
using testing_support::shellQuote;

// Runs a shell command and reports its failure with the command itself.
bool run(const std::string& command) {
  const auto result = runCommand(command + " </dev/null");
  EXPECT_EQ(result.exitCode, 0) << command;
  return result.exitCode == 0;
}

std::string q(const std::string& localPath) { return shellQuote(platform::localToUtf8(localPath)); }

// A WAVE file from ffmpeg's generators: a sine tone, or pink noise, which gives variable
// rate encoders something to vary on.
enum class Sound { tone, noise };
std::string makeWave(const testing_support::TempDir& dir, const std::string& name, double seconds,
                     int channels, int rate, const char* sampleFormat = "pcm_s16le",
                     Sound sound = Sound::tone) {
  const std::string path = dir.path() + name;
  const std::string source = sound == Sound::tone ? "sine=frequency=440:duration="
                                                  : "anoisesrc=color=pink:amplitude=0.3:duration=";
  run("ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i " + source +
      std::to_string(seconds) + " -ac " + std::to_string(channels) + " -ar " +
      std::to_string(rate) + " -c:a " + sampleFormat + " -y " + q(path));
  return path;
}

std::string info(const std::string& localPath) {
  const auto result =
      runCommand(shellQuote(testing_support::lyrivaneBinary()) + " info --json " + q(localPath));
  EXPECT_EQ(result.exitCode, 0) << localPath;
  return result.out;
}

TEST(LameFiles, ConstantRateFramesGiveTheTableValues) {
  testing_support::TempDir dir;
  const std::string wave = makeWave(dir, "tone.wav", 5.5, 2, 44100);
  enum Encoder { lame, ffmpegMp2 };
  const struct {
    Encoder encoder;
    const char* options;
    const char* description;
    const char* bitRate;
    const char* sampleRate;
    const char* channels;
  } cases[] = {
      {lame, "-b 128 -m j --resample 44.1", "MPEG 1 Layer III", "128", "44100", "立体声(Joint)"},
      {lame, "-b 320 -m s --resample 44.1", "MPEG 1 Layer III", "320", "44100", "立体声"},
      {lame, "-b 32 -m m --resample 44.1", "MPEG 1 Layer III", "32", "44100", "单声道"},
      {lame, "-b 64 -m d --resample 44.1", "MPEG 1 Layer III", "64", "44100", "双通道"},
      {lame, "-b 112 --resample 48", "MPEG 1 Layer III", "112", "48000", "立体声(Joint)"},
      {lame, "-b 40 --resample 32 -m s", "MPEG 1 Layer III", "40", "32000", "立体声"},
      {lame, "-b 160 --resample 22.05 -m s", "MPEG 2 Layer III", "160", "22050", "立体声"},
      {lame, "-b 8 --resample 16 -m m", "MPEG 2 Layer III", "8", "16000", "单声道"},
      {lame, "-b 144 --resample 24", "MPEG 2 Layer III", "144", "24000", "立体声(Joint)"},
      {lame, "-b 64 --resample 8 -m m", "MPEG 2.5 Layer III", "64", "8000", "单声道"},
      {lame, "-b 24 --resample 11.025", "MPEG 2.5 Layer III", "24", "11025", "立体声(Joint)"},
      {lame, "-b 56 --resample 12 -m s", "MPEG 2.5 Layer III", "56", "12000", "立体声"},
      {ffmpegMp2, "-b:a 192k -ar 48000", "MPEG 1 Layer II", "192", "48000", "立体声"},
      {ffmpegMp2, "-b:a 64k -ar 24000 -ac 1", "MPEG 2 Layer II", "64", "24000", "单声道"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string mp3 = dir.path() + "cbr" + std::to_string(n++) + ".mp3";
    // lame -t writes no Xing/Info frame: the first frame's own header is all there is.
    const std::string encode =
        c.encoder == lame
            ? std::string("lame --quiet -t ") + c.options + " " + q(wave) + " " + q(mp3)
            : "ffmpeg -nostdin -hide_banner -loglevel error -i " + q(wave) + " -c:a mp2 " +
                  c.options + " -f mp2 -y " + q(mp3);
    if (!run(encode)) continue;
    const std::string json = info(mp3);
    EXPECT_EQ(jsonField(json, "encoder"), c.description) << c.options;
    EXPECT_EQ(jsonField(json, "bitRate"), c.bitRate) << c.options;
    EXPECT_EQ(jsonField(json, "sampleRate"), c.sampleRate) << c.options;
    EXPECT_EQ(jsonField(json, "channels"), c.channels) << c.options;
    EXPECT_EQ(jsonField(json, "duration"), "00:05") << c.options;
  }
}

TEST(LameFiles, XingAndInfoHeadersGiveTheAverageRate) {
  testing_support::TempDir dir;
  // 35.5 s of pink noise: a rate that varies from frame to frame.
  const std::string wave = makeWave(dir, "noise.wav", 35.5, 2, 44100, "pcm_s16le", Sound::noise);
  const std::string script = dir.write("rate.py",
                                       "import sys\n"
                                       "from mutagen.mp3 import MP3\n"
                                       "print(MP3(sys.argv[1]).info.bitrate)\n");
  const struct {
    const char* lameOptions;
    const char* sampleRate;
  } cases[] = {
      {"-V 2", "44100"},
      {"-V 6 --resample 22.05", "22050"},
      {"--abr 96 -m s --resample 44.1", "44100"},
      {"-V 4 --resample 8", "8000"},
      {"-b 192", "44100"},  // constant rate, with an Info frame
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string mp3 = dir.path() + "vbr" + std::to_string(n++) + ".mp3";
    if (!run(std::string("lame --quiet ") + c.lameOptions + " " + q(wave) + " " + q(mp3))) continue;
    const std::string json = info(mp3);
    EXPECT_EQ(jsonField(json, "duration"), "00:35") << c.lameOptions;
    EXPECT_EQ(jsonField(json, "sampleRate"), c.sampleRate) << c.lameOptions;
    // mutagen averages over the play time less the encoder's delay and padding, this
    // reader over whole frames: they agree within a few per cent.
    const auto rate =
        runCommand(std::string(testing_support::kDebianPython) + " " + q(script) + " " + q(mp3));
    const double theirs = std::atof(rate.out.c_str()) / 1000;
    const double ours = std::atof(jsonField(json, "bitRate").c_str());
    EXPECT_GT(theirs, 0) << c.lameOptions;
    EXPECT_NEAR(ours, theirs, theirs * 0.03) << c.lameOptions << " " << json;
  }
}

TEST(ApeOnMp3, AnApev2TagBeforeId3v1IsReadFirst) {
  testing_support::TempDir dir;
  const std::string wave = makeWave(dir, "tone.wav", 5.5, 2, 44100);
  const std::string mp3 = dir.path() + "tagged.mp3";
  ASSERT_TRUE(run("lame --quiet -t -b 128 " + q(wave) + " " + q(mp3)));
  // mutagen writes items shortest first: "Album Artist" = "VA" lands before "Artist".
  const std::string script = dir.write("tag.py",
                                       "import sys\n"
                                       "from mutagen.apev2 import APEv2\n"
                                       "t = APEv2()\n"
                                       "t['Title'] = 'Ape Song'\n"
                                       "t['Album Artist'] = 'VA'\n"
                                       "t['Artist'] = 'Real Singer'\n"
                                       "t['Copyright'] = '(c) 2001 Label'\n"
                                       "t['Lyrics'] = 'first line\\nsecond line'\n"
                                       "t['Year'] = '2001'\n"
                                       "t.save(sys.argv[1])\n");
  ASSERT_TRUE(run(std::string(testing_support::kDebianPython) + " " + q(script) + " " + q(mp3)));
  // eyeD3 appends an ID3v1 tag behind the APEv2 tag, and writes no ID3v2 tag with -1.
  ASSERT_TRUE(run("eyeD3 --quiet -1 -t 'Ape Song' -a 'Real Singer' " + q(mp3) + " >/dev/null"));

  const std::string bytes = testing_support::TempDir::read(mp3);
  ASSERT_GT(bytes.size(), 160u);
  ASSERT_EQ(bytes.compare(bytes.size() - 128, 3, "TAG"), 0);
  ASSERT_EQ(bytes.compare(bytes.size() - 160, 8, "APETAGEX"), 0);

  tags::SongInfo song;
  EXPECT_TRUE(tags::readApeInfo(mp3, song));
  EXPECT_EQ(song.title, "Ape Song");
  EXPECT_EQ(song.artist, "Real Singer");
  EXPECT_EQ(song.year, "2001");
  EXPECT_EQ(song.copyright, "(c) 2001 Label");
  EXPECT_EQ(song.lyrics, "first line\nsecond line");
  EXPECT_EQ(song.encoder, "");  // an MP3 stream is not a Monkey's Audio one

  // The whole mp3 sequence: the ID3v1 tag repeats title and artist; copyright and lyrics
  // only the APEv2 tag holds; the stream facts come last.
  const std::string json = info(mp3);
  EXPECT_EQ(jsonField(json, "summary"), "Ape Song - Real Singer");
  EXPECT_EQ(jsonField(json, "copyright"), "(c) 2001 Label");
  EXPECT_EQ(jsonField(json, "lyrics"), "first line\nsecond line");
  EXPECT_EQ(jsonField(json, "encoder"), "MPEG 1 Layer III");
  EXPECT_EQ(jsonField(json, "bitRate"), "128");
  // The tags (about 300 bytes at the end) are not counted as audio: 5.5 s either way.
  EXPECT_EQ(jsonField(json, "duration"), "00:05");
}

TEST(MonkeysAudioFiles, JmacFilesTaggedByMutagen) {
  if (runCommand("command -v jmac >/dev/null").exitCode != 0)
    FAIL() << "jmac (Debian package libjmac-java) is needed to make Monkey's Audio files";
  testing_support::TempDir dir;
  const std::string tagScript =
      dir.write("tag.py",
                "import sys\n"
                "from mutagen.monkeysaudio import MonkeysAudio\n"
                "from mutagen.apev2 import APEValue, BINARY\n"
                "f = MonkeysAudio(sys.argv[1])\n"
                "f.add_tags()\n"
                "f.tags['Title'] = '月亮代表我的心'\n"
                "f.tags['Album Artist'] = 'Various'\n"
                "f.tags['Artist'] = '邓丽君'\n"
                "f.tags['Year'] = '1977'\n"
                "f.tags['Track'] = '3/10'\n"
                "f.tags['Genre'] = 'Pop'\n"
                "f.tags['Cover Art (Front)'] = APEValue(b'cover.jpg\\0' + bytes(range(256)) * 4,"
                " BINARY)\n"
                "f.save()\n");
  const struct {
    double seconds;
    int channels, rate;
    const char* sampleFormat;
    const char* level;  // jmac's compression levels: 1 fast to 5 insane
    const char* duration;
    const char* bits;
    const char* channelWord;
  } cases[] = {
      {61.5, 2, 44100, "pcm_s16le", "c2", "01:01", "16", "立体声"},
      {20.2, 1, 22050, "pcm_u8", "c4", "00:20", "8", "单声道"},
      {3.0, 2, 48000, "pcm_s16le", "c5", "00:03", "16", "立体声"},
      {7.9, 1, 32000, "pcm_s16le", "c1", "00:07", "16", "单声道"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string stem = "song" + std::to_string(n++);
    const std::string wave =
        makeWave(dir, stem + ".wav", c.seconds, c.channels, c.rate, c.sampleFormat);
    const std::string ape = dir.path() + stem + ".ape";
    if (!run(std::string("jmac ") + c.level + " " + q(wave) + " " + q(ape) + " >/dev/null"))
      continue;
    if (!run(std::string(testing_support::kDebianPython) + " " + q(tagScript) + " " + q(ape)))
      continue;
    const std::string json = info(ape);
    EXPECT_EQ(jsonField(json, "summary"), "月亮代表我的心 - 邓丽君") << stem;
    EXPECT_EQ(jsonField(json, "year"), "1977") << stem;
    EXPECT_EQ(jsonField(json, "track"), "3/10") << stem;
    EXPECT_EQ(jsonField(json, "genre"), "Pop") << stem;
    EXPECT_EQ(jsonField(json, "picture"), "1024") << stem;
    EXPECT_EQ(jsonField(json, "encoder"), "Monkey's Audio 3.99") << stem;
    EXPECT_EQ(jsonField(json, "duration"), c.duration) << stem;
    EXPECT_EQ(jsonField(json, "sampleRate"), std::to_string(c.rate)) << stem;
    EXPECT_EQ(jsonField(json, "bitRate"), c.bits) << stem;
    EXPECT_EQ(jsonField(json, "channels"), c.channelWord) << stem;
  }

  // An ID3v2 tag in front (mutagen writes one to any file): the header is found behind it.
  const std::string ape = dir.path() + "song0.ape";
  const std::string id3Script = dir.write("id3.py",
                                          "import sys\n"
                                          "from mutagen.id3 import ID3, TIT2\n"
                                          "t = ID3()\n"
                                          "t.add(TIT2(encoding=3, text='id3 title'))\n"
                                          "t.save(sys.argv[1])\n");
  ASSERT_TRUE(run(std::string(testing_support::kDebianPython) + " " + q(id3Script) + " " + q(ape)));
  ASSERT_EQ(testing_support::TempDir::read(ape).compare(0, 3, "ID3"), 0);
  const std::string json = info(ape);
  EXPECT_EQ(jsonField(json, "duration"), "01:01");
  EXPECT_EQ(jsonField(json, "encoder"), "Monkey's Audio 3.99");
  EXPECT_EQ(jsonField(json, "summary"), "月亮代表我的心 - 邓丽君");
}

}  // namespace
