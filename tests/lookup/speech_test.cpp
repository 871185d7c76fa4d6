// Speech input's portable half: the WAVE header and reader, the recorder's formats, the
// service address and the cuts of the reply.
#include "lookup/speech.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "lookup/wave_file.h"
#include "platform/text.h"
#include "tests/support/byte_builder.h"

namespace {

using testing_support::ByteBuilder;

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

TEST(WaveFile, HeaderFieldByField) {
  const std::string expected = ByteBuilder()
                                   .raw("RIFF")
                                   .le32(1000 + 36)
                                   .raw("WAVEfmt ")
                                   .le32(16)
                                   .le16(1)      // PCM
                                   .le16(2)      // channels
                                   .le32(22050)  // samples per second
                                   .le32(88200)  // bytes per second
                                   .le16(4)      // block alignment
                                   .le16(16)     // bits
                                   .raw("data")
                                   .le32(1000)
                                   .str();
  EXPECT_EQ(lookup::waveHeader({2, 22050, 16}, 1000), bytesOf(expected));
}

TEST(WaveFile, ReadsWhatTheHeaderDescribesAndStepsOverOtherChunks) {
  std::vector<std::uint8_t> file = lookup::waveHeader({1, 8000, 16}, 6);
  file.insert(file.end(), {1, 2, 3, 4, 5, 6});
  lookup::WaveFile wave;
  ASSERT_TRUE(lookup::readWave(file, wave));
  EXPECT_EQ(wave.format, (lookup::WaveFormat{1, 8000, 16}));
  EXPECT_EQ(wave.dataOffset, 44u);
  EXPECT_EQ(wave.dataLength, 6u);

  // As other writers leave it: an odd-sized LIST chunk (with its pad byte) before the data.
  const std::string other = ByteBuilder()
                                .raw("RIFF")
                                .le32(0)
                                .raw("WAVE")
                                .raw("fmt ")
                                .le32(16)
                                .le16(1)
                                .le16(2)
                                .le32(44100)
                                .le32(176400)
                                .le16(4)
                                .le16(16)
                                .raw("LIST")
                                .le32(3)
                                .raw("abc")
                                .u8(0)
                                .raw("data")
                                .le32(4)
                                .raw("wxyz")
                                .str();
  ASSERT_TRUE(lookup::readWave(bytesOf(other), wave));
  EXPECT_EQ(wave.format, (lookup::WaveFormat{2, 44100, 16}));
  EXPECT_EQ(wave.dataOffset, other.size() - 4);
  EXPECT_EQ(wave.dataLength, 4u);
}

TEST(WaveFile, RefusesTruncatedAndNonPcmFiles) {
  std::vector<std::uint8_t> good = lookup::waveHeader({1, 8000, 16}, 8);
  good.resize(good.size() + 8);
  const auto changed = [&](std::size_t at, std::uint8_t value) {
    auto bytes = good;
    bytes[at] = value;
    return bytes;
  };
  const struct {
    const char* why;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"samples cut short", {good.begin(), good.end() - 1}},
      {"header cut inside the data chunk's length", {good.begin(), good.begin() + 42}},
      {"header only to the format chunk", {good.begin(), good.begin() + 36}},
      {"empty", {}},
      {"format tag 3 (IEEE float)", changed(20, 3)},
      {"not RIFF", changed(0, 'X')},
      {"not WAVE", changed(8, 'X')},
      {"no channels", changed(22, 0)},
      {"data before any format",
       bytesOf(ByteBuilder().raw("RIFF").le32(12).raw("WAVE").raw("data").le32(0).str())},
      {"chunk longer than the file",
       bytesOf(ByteBuilder().raw("RIFF").le32(0).raw("WAVE").raw("LIST").le32(0xFFFFFFFF).str())},
  };
  for (const auto& c : cases) {
    lookup::WaveFile wave;
    EXPECT_FALSE(lookup::readWave(c.bytes, wave)) << c.why;
  }
}

TEST(WaveFile, RecorderFormats) {
  const struct {
    int channels, rate, bits;
    bool accepted;
  } cases[] = {
      {1, 8000, 16, true},  {2, 44100, 8, true},  {1, 11025, 16, true},  {2, 22050, 16, true},
      {0, 8000, 16, false}, {3, 8000, 16, false}, {1, 16000, 16, false}, {1, 48000, 16, false},
      {1, 8000, 24, false}, {1, 8000, 0, false},  {-1, 8000, 16, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(lookup::isRecorderFormat(c.channels, c.rate, c.bits), c.accepted)
        << c.channels << " " << c.rate << " " << c.bits;
}

void setSpeechHost(const std::string& value) {
#ifdef _WIN32
  _putenv_s("LYRIVANE_SPEECH_HOST", value.c_str());
#else
  if (value.empty())
    unsetenv("LYRIVANE_SPEECH_HOST");
  else
    setenv("LYRIVANE_SPEECH_HOST", value.c_str(), 1);
#endif
}

TEST(SpeechRequest, AddressAndContentType) {
  setSpeechHost("");
  EXPECT_EQ(lookup::speechAddress(),
            "http://www.google.com/speech-api/v1/recognize?xjerr=1&client=chromium&lang=zh-CN");
  setSpeechHost("127.0.0.1:8123");
  EXPECT_EQ(lookup::speechAddress(),
            "http://127.0.0.1:8123/speech-api/v1/recognize?xjerr=1&client=chromium&lang=zh-CN");
  setSpeechHost("");
  EXPECT_EQ(lookup::speechContentType(8000), "audio/L16; rate=8000");
  EXPECT_EQ(lookup::speechContentType(44100), "audio/L16; rate=44100");
}

TEST(SpeechReply, TheLyricsBoxShowsTheFirstUtteranceOrTheFailure) {
  const std::string failed = platform::utf8ToLocal(" 报告长官识别失败");
  const std::string song = platform::utf8ToLocal("月亮代表我的心");
  const struct {
    std::string reply;
    std::string shown;
    std::string utterance;
  } cases[] = {
      {"{\"status\":0,\"id\":\"a1\",\"hypotheses\":[{\"utterance\":\"" + song +
           "\",\"confidence\":0.9},{\"utterance\":\"b\",\"confidence\":0.5}]}",
       song, song},
      {"{\"status\":5,\"id\":\"a1\",\"hypotheses\":[]}", failed, ""},
      {"<html>Service Unavailable</html>", failed, ""},
      {"", failed, ""},
      // Brackets but no utterance markers: the box is emptied.
      {"{\"hypotheses\":[{\"text\":\"x\"}]}", "", ""},
      // No unescaping: the words come as the service wrote them.
      {"[{\"utterance\":\"a\\\"b\",\"confidence\":1}]", "a\\\"b", "a\\\"b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lookup::speechResult(c.reply), c.shown) << c.reply;
    EXPECT_EQ(lookup::replyUtterance(c.reply), c.utterance) << c.reply;
  }
}

}  // namespace
