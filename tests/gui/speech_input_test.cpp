// Speech input in a window of the test's own (a button and an edit box) driven through
// toggleSpeechInput: real capture from the test bench's PulseAudio null sink while spoken
// words play into it, the upload to the tests' own server, the failures, and the recorder
// used out of order.
#include "app/speech_input_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "tags/bytes.h"
#include "tests/gui/gui_support.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_dir.h"
#include "ui/controls_win.h"

namespace {

using gui_testing::local;
using testing_support::httpAnswer;
using testing_support::HttpTestServer;
using testing_support::TempDir;
using Clock = std::chrono::steady_clock;

const char kRecognizeLine[] =
    "POST /speech-api/v1/recognize?xjerr=1&client=chromium&lang=zh-CN HTTP/1.1";

// The speech host pointed at a test server for the length of a test.
class SpeechHost {
 public:
  explicit SpeechHost(const std::string& host) { _putenv_s("LYRIVANE_SPEECH_HOST", host.c_str()); }
  ~SpeechHost() { _putenv_s("LYRIVANE_SPEECH_HOST", ""); }
};

class SpeechWindow {
 public:
  SpeechWindow() {
    frame = CreateWindowExA(0, "Static", "speech", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400,
                            200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    button = CreateWindowExA(0, "Button", local("语音").c_str(), WS_CHILD | WS_VISIBLE, 10, 10, 60,
                             24, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
    box = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE, 10, 40,
                          360, 100, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~SpeechWindow() { DestroyWindow(frame); }
  void press() { app::toggleSpeechInput(button, box, recorder, file); }

  HWND frame, button, box;
  lookup::Recorder recorder;
  TempDir dir;
  std::string file = dir.path() + "recording.tmp";
};

// Plays the test bench's spoken words into the null sink, at real-time pace.
void playSpeech() {
  const char* speech = std::getenv("LYRIVANE_TEST_SPEECH");
  ASSERT_TRUE(speech && *speech) << "run under scripts/wine.sh, which provides the audio";
  std::string command = "/usr/bin/paplay --latency-msec=20 -d nullsink " + std::string(speech);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // Wine starts a Linux program from CreateProcess; it gives no waitable handle for it.
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(SpeechInput, TwoPressesPostTheSpokenWordsOnceAndShowTheUtterance) {
  HttpTestServer server(testing_support::answerWith(
      httpAnswer(200,
                 "{\"status\":0,\"id\":\"q1\",\"hypotheses\":[{\"utterance\":\"月亮代表我的心\","
                 "\"confidence\":0.9}]}",
                 "Content-Type: application/json; charset=utf-8\r\n")));
  SpeechHost host(server.hostPort());
  SpeechWindow window;

  window.press();
  const Clock::time_point pressed = Clock::now();
  EXPECT_EQ(ui::windowText(window.box), local(" 请长官讲话"));
  EXPECT_EQ(ui::windowText(window.button), local("停止"));
  playSpeech();
  gui_testing::pumpMessages(5000);
  const double seconds = secondsSince(pressed);
  window.press();
  EXPECT_EQ(ui::windowText(window.box), local("月亮代表我的心"));
  EXPECT_EQ(ui::windowText(window.button), local("语音"));

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, kRecognizeLine);
  EXPECT_EQ(requests[0].header("Content-Type"), "audio/L16; rate=8000");
  const std::string& body = requests[0].body;
  EXPECT_EQ(body, TempDir::read(window.file));  // the file as saved
  ASSERT_GT(body.size(), 44u);
  const auto* b = reinterpret_cast<const std::uint8_t*>(body.data());
  EXPECT_EQ(body.substr(0, 4), "RIFF");
  EXPECT_EQ(tags::le32(b + 4), body.size() - 8);
  EXPECT_EQ(body.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(tags::le32(b + 16), 16u);
  EXPECT_EQ(tags::le16(b + 20), 1u);      // PCM
  EXPECT_EQ(tags::le16(b + 22), 1u);      // mono
  EXPECT_EQ(tags::le32(b + 24), 8000u);   // samples per second
  EXPECT_EQ(tags::le32(b + 28), 16000u);  // bytes per second
  EXPECT_EQ(tags::le16(b + 32), 2u);      // block alignment
  EXPECT_EQ(tags::le16(b + 34), 16u);     // bits
  EXPECT_EQ(body.substr(36, 4), "data");
  EXPECT_EQ(tags::le32(b + 40), body.size() - 44);

  // As long as the button was down, and holding the words, not the sink's silence.
  const std::size_t samples = (body.size() - 44) / 2;
  // Wine's conversion of the sink's 44.1 kHz stereo to 8000 Hz mono holds back about two
  // seconds (measured: 2.2 s), which the reset at the second press drops.
  const double recorded = samples / 8000.0;
  EXPECT_LE(recorded, seconds + 0.3) << "pressed for " << seconds << " s";
  EXPECT_GE(recorded, seconds - 3.0) << "pressed for " << seconds << " s";
  double energy = 0;
  int peak = 0;
  for (std::size_t i = 0; i < samples; ++i) {
    const int s = static_cast<std::int16_t>(tags::le16(b + 44 + 2 * i));
    energy += double(s) * s;
    peak = std::max(peak, std::abs(s));
  }
  EXPECT_GT(std::sqrt(energy / samples), 300.0);
  EXPECT_GT(peak, 3000);
}

TEST(SpeechInput, FailedRecognitionsSayTheyFailedWithinTheTimeOuts) {
  int closedPort = 0;
  {
    HttpTestServer closed(testing_support::answerWith(""));
    closedPort = closed.port();
  }
  const struct {
    const char* what;
    testing_support::Handler handler;  // none: nothing listens
  } cases[] = {
      {"empty hypothesis list", testing_support::answerWith(httpAnswer(
                                    200, "{\"status\":5,\"id\":\"q2\",\"hypotheses\":[]}"))},
      {"no [", testing_support::answerWith(httpAnswer(500, "<html>Server Error</html>"))},
      {"unreachable server", nullptr},
      {"silent server", [](const testing_support::ReceivedRequest&,
                           testing_support::Connection& c) { c.pause(std::chrono::minutes(3)); }},
  };
  for (const auto& c : cases) {
    std::unique_ptr<HttpTestServer> server;
    if (c.handler) server = std::make_unique<HttpTestServer>(c.handler);
    SpeechHost host(server ? server->hostPort() : "127.0.0.1:" + std::to_string(closedPort));
    SpeechWindow window;
    window.press();
    gui_testing::pumpMessages(300);
    const Clock::time_point pressed = Clock::now();
    window.press();
    EXPECT_LT(secondsSince(pressed), 75.0) << c.what;
    EXPECT_EQ(ui::windowText(window.box), local(" 报告长官识别失败")) << c.what;
    EXPECT_EQ(ui::windowText(window.button), local("语音")) << c.what;
    if (server) {
      EXPECT_EQ(server->requests().size(), 1u) << c.what;
    }
  }
}

TEST(SpeechInput, AnotherCaptionDoesNothing) {
  HttpTestServer server(testing_support::answerWith(httpAnswer(200, "[]")));
  SpeechHost host(server.hostPort());
  SpeechWindow window;
  ui::setWindowText(window.button, local("查询"));
  ui::setWindowText(window.box, "abc");
  window.press();
  window.press();
  EXPECT_EQ(ui::windowText(window.button), local("查询"));
  EXPECT_EQ(ui::windowText(window.box), "abc");
  EXPECT_FALSE(window.recorder.recording());
  EXPECT_FALSE(std::ifstream(window.file).good());
  EXPECT_EQ(server.connections(), 0);
}

TEST(SpeechInput, RecorderOutOfOrderNeitherCrashesNorHangs) {
  lookup::Recorder recorder;
  recorder.stop();  // before any start
  EXPECT_FALSE(recorder.recording());
  EXPECT_FALSE(recorder.setFormat(1, 16000, 16));
  EXPECT_EQ(recorder.format(), (lookup::WaveFormat{1, 8000, 16}));

  ASSERT_TRUE(recorder.start()) << "no wave-input device: run under scripts/wine.sh";
  // More than the two buffers hold: they were taken back and queued again. (The first
  // samples come after Wine's two-second conversion delay.)
  gui_testing::pumpMessages(4000);
  EXPECT_GT(recorder.recordedBytes(), 2 * lookup::Recorder::kBufferSize);
  EXPECT_TRUE(recorder.start());  // while recording: a new recording
  EXPECT_LT(recorder.recordedBytes(), 2 * lookup::Recorder::kBufferSize);
  recorder.stop();
  recorder.stop();
  EXPECT_FALSE(recorder.recording());

  TempDir dir;
  const std::string kept = dir.write("kept.wav", "keep me");
  EXPECT_TRUE(recorder.save(kept, false));
  EXPECT_EQ(TempDir::read(kept), "keep me");
}

// The test bench's run with --no-audio: no wave-input device at all. The recording cannot
// start, nothing crashes or hangs, and the empty recording is still saved and sent.
TEST(SpeechInputWithoutDevice, AFailedStartStillSendsTheEmptyRecording) {
  if (waveInGetNumDevs() != 0)
    GTEST_SKIP() << "a capture device is present; `scripts/wine.sh run --no-audio` covers this";
  HttpTestServer server(testing_support::answerWith(httpAnswer(200, "[]")));
  SpeechHost host(server.hostPort());
  SpeechWindow window;
  EXPECT_FALSE(window.recorder.start());
  window.recorder.stop();
  window.press();
  EXPECT_FALSE(window.recorder.recording());
  EXPECT_EQ(ui::windowText(window.box), local(" 请长官讲话"));
  window.press();
  window.press();  // and a new recording that fails as well
  window.press();
  EXPECT_EQ(ui::windowText(window.button), local("语音"));
  EXPECT_EQ(ui::windowText(window.box), local(" 报告长官识别失败"));
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].body.size(), 44u);
  EXPECT_EQ(requests[1].body, TempDir::read(window.file));
}

}  // namespace
