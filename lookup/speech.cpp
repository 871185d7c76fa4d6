// The portable half of speech input.
#include "lookup/speech.h"

#include <cstdlib>

#include "lookup/search.h"
#include "platform/text.h"

namespace lookup {

namespace {

const char kDefaultSpeechHost[] = "www.google.com";
const char kSpeechHostVariable[] = "LYRIVANE_SPEECH_HOST";
const char kRecognizePath[] = "/speech-api/v1/recognize?xjerr=1&client=chromium&lang=zh-CN";

}  // namespace

const std::string& speechIdleCaption() {
  static const std::string text = platform::utf8ToLocal("语音");
  return text;
}

const std::string& speechRecordingCaption() {
  static const std::string text = platform::utf8ToLocal("停止");
  return text;
}

const std::string& speechPromptText() {
  static const std::string text = platform::utf8ToLocal(" 请长官讲话");
  return text;
}

const std::string& speechBusyText() {
  static const std::string text = platform::utf8ToLocal(" 正在识别中 请稍后...");
  return text;
}

const std::string& speechFailedText() {
  static const std::string text = platform::utf8ToLocal(" 报告长官识别失败");
  return text;
}

std::string speechHost() {
  const char* value = std::getenv(kSpeechHostVariable);
  return value && *value ? std::string(value) : std::string(kDefaultSpeechHost);
}

std::string speechAddress() { return "http://" + speechHost() + kRecognizePath; }

std::string speechContentType(std::uint32_t samplesPerSecond) {
  return "audio/L16; rate=" + std::to_string(samplesPerSecond);
}

std::string replyUtterance(const std::string& reply) {
  return textBetween(textBetween(reply, "[", "]"), "utterance\":\"", "\",\"confidence");
}

std::string speechResult(const std::string& reply) {
  if (textBetween(reply, "[", "]").empty()) return speechFailedText();
  return replyUtterance(reply);
}

std::string replyText(const std::vector<std::uint8_t>& body) {
  return platform::utf8ToLocal(bodyText(body));
}

FetchResult postRecording(const std::vector<std::uint8_t>& waveBytes,
                          std::uint32_t samplesPerSecond) {
  FetchRequest request;
  request.url = speechAddress();
  request.method = "POST";
  request.headers = "Content-Type: " + speechContentType(samplesPerSecond) + "\r\n";
  request.body.assign(waveBytes.begin(), waveBytes.end());
  return fetchUrl(request, defaultFetchLimits());
}

}  // namespace lookup
