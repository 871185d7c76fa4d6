// `lyrivane recognize` against the tests' own server on 127.0.0.1, with WAVE files made by
// sox: the request it posts, and every exit status.
#include <gtest/gtest.h>

#include "tests/support/http_test_server.h"
#include "tests/support/process_posix.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::httpAnswer;
using testing_support::HttpTestServer;
using testing_support::shellQuote;
using testing_support::TempDir;

struct CliRun {
  int exitCode;
  std::string out;
  std::string err;
};

CliRun recognize(const std::string& host, const std::string& args) {
  TempDir dir;
  const std::string errPath = dir.path() + "stderr";
  const auto result =
      testing_support::runCommand("LYRIVANE_SPEECH_HOST=" + shellQuote(host) + " " +
                                  shellQuote(testing_support::lyrivaneBinary()) + " recognize " +
                                  args + " 2>" + shellQuote(errPath));
  return {result.exitCode, result.out, TempDir::read(errPath)};
}

// Half a second of a tone, as sox writes it in the given encoding.
std::string soxFile(const TempDir& dir, const std::string& name, const std::string& encoding) {
  const std::string path = dir.path() + name;
  const auto made = testing_support::runCommand("sox -n -r 11025 -c 1 " + encoding + " " +
                                                shellQuote(path) + " synth 0.5 sine 440");
  EXPECT_EQ(made.exitCode, 0) << "sox " << encoding;
  return path;
}

const std::string kReply =
    "{\"status\":0,\"id\":\"x1\",\"hypotheses\":[{\"utterance\":\"月亮代表我的心\","
    "\"confidence\":0.9}]}";

TEST(CliRecognize, PostsTheFileAsItIsAndPrintsTheUtterance) {
  TempDir dir;
  const std::string wav = soxFile(dir, "tone.wav", "-b 16 -e signed-integer");
  HttpTestServer server(testing_support::answerWith(
      httpAnswer(200, kReply, "Content-Type: application/json; charset=utf-8\r\n")));
  const CliRun run = recognize(server.hostPort(), shellQuote(wav));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "月亮代表我的心\n");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine,
            "POST /speech-api/v1/recognize?xjerr=1&client=chromium&lang=zh-CN HTTP/1.1");
  EXPECT_EQ(requests[0].header("Content-Type"), "audio/L16; rate=11025");
  EXPECT_EQ(requests[0].body, TempDir::read(wav));

  const CliRun json = recognize(server.hostPort(), "--json " + shellQuote(wav));
  EXPECT_EQ(json.exitCode, 0) << json.err;
  EXPECT_EQ(json.out, "{\"file\": \"" + wav + "\", \"address\": \"http://" + server.hostPort() +
                          "/speech-api/v1/recognize?xjerr=1&client=chromium&lang=zh-CN\", "
                          "\"utterance\": \"月亮代表我的心\"}\n");
}

TEST(CliRecognize, ExitStatuses) {
  TempDir dir;
  const std::string wav = soxFile(dir, "tone.wav", "-b 16 -e signed-integer");
  HttpTestServer empty(testing_support::answerWith(
      httpAnswer(200, "{\"status\":5,\"id\":\"x2\",\"hypotheses\":[]}")));
  const CliRun none = recognize(empty.hostPort(), shellQuote(wav));
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, " 报告长官识别失败\n");

  const std::string whole = TempDir::read(wav);
  const std::string cut = dir.write("cut.wav", whole.substr(0, whole.size() - 1));
  const std::string floats = soxFile(dir, "float.wav", "-b 32 -e floating-point");
  for (const std::string& args :
       {shellQuote(cut), shellQuote(floats), shellQuote(dir.path() + "missing.wav"), std::string(),
        shellQuote(wav) + " " + shellQuote(wav), "--verbose " + shellQuote(wav)})
    EXPECT_EQ(recognize(empty.hostPort(), args).exitCode, 2) << args;
  EXPECT_EQ(empty.requests().size(), 1u);  // nothing posted for a refused file

  int port = 0;
  {
    HttpTestServer closed(testing_support::answerWith(""));
    port = closed.port();
  }
  const std::string host = "127.0.0.1:" + std::to_string(port);
  const CliRun failed = recognize(host, shellQuote(wav));
  EXPECT_EQ(failed.exitCode, 3);
  EXPECT_NE(failed.err.find(host), std::string::npos) << failed.err;
}

}  // namespace
