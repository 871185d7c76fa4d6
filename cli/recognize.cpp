// `lyrivane recognize`: posts a WAVE recording to the speech service, as the lyrics
// window's speech button does, and prints the words it heard.
#include <cstdio>

#include "cli/commands.h"
#include "cli/output.h"
#include "lookup/speech.h"
#include "lookup/wave_file.h"
#include "platform/file.h"
#include "platform/text.h"

namespace cli {

namespace {

constexpr int kExitNotRecognised = 1;
constexpr int kExitPostFailed = 3;

const char kRecognizeUsage[] =
    "usage: lyrivane recognize [--json] FILE.wav\n"
    "  Posts a PCM WAVE file, as it is, to the speech recognition service and prints the\n"
    "  first utterance it recognised.\n"
    "  --json       prints {\"file\", \"address\", \"utterance\"} instead\n"
    "  LYRIVANE_SPEECH_HOST (host or host:port) replaces the service's host.\n"
    "  Exit status: 0 recognised, 1 nothing recognised, 2 usage or not a PCM WAVE file,\n"
    "  3 the post failed.\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "lyrivane recognize: %s\n%s", message.c_str(), kRecognizeUsage);
  return kExitUsage;
}

// The whole file, or nothing when it cannot be read or is larger than a post may be.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  platform::ReadOnlyFile file(path);
  if (!file.isOpen() || file.size() > lookup::defaultFetchLimits().maxBody) return false;
  bytes.resize(static_cast<std::size_t>(file.size()));
  return file.readAt(0, bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

int runRecognize(const Args& args) {
  bool json = false;
  Args files;
  for (const std::string& a : args) {
    if (a == "--json") {
      json = true;
    } else if (a == "--help" || a == "-h") {
      std::fputs(kRecognizeUsage, stdout);
      return kExitOk;
    } else if (a.size() > 1 && a[0] == '-') {
      return usageError("unknown option " + a);
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 1) return usageError("one WAVE file, please");

  std::vector<std::uint8_t> bytes;
  lookup::WaveFile wave;
  if (!readWholeFile(platform::utf8ToLocal(files[0]), bytes) || !lookup::readWave(bytes, wave))
    return usageError(files[0] + " is not a PCM WAVE file");

  const lookup::FetchResult posted = lookup::postRecording(bytes, wave.format.samplesPerSecond);
  if (posted.outcome != lookup::FetchOutcome::complete) {
    std::fprintf(stderr, "lyrivane recognize: could not post the recording to %s (%s)\n",
                 lookup::speechHost().c_str(),
                 posted.outcome == lookup::FetchOutcome::timedOut   ? "no answer in time"
                 : posted.outcome == lookup::FetchOutcome::tooLarge ? "the answer is too large"
                                                                    : "the connection failed");
    return kExitPostFailed;
  }
  const std::string utterance = lookup::replyUtterance(lookup::replyText(posted.body));
  if (utterance.empty()) {
    printLocal(stderr, lookup::speechFailedText());
    std::fputc('\n', stderr);
    return kExitNotRecognised;
  }
  if (json) {
    const std::string out = "{\"file\": " + jsonString(files[0]) +
                            ", \"address\": " + jsonString(lookup::speechAddress()) +
                            ", \"utterance\": " + jsonString(platform::localToUtf8(utterance)) +
                            "}\n";
    std::fputs(out.c_str(), stdout);
  } else {
    printLocal(stdout, utterance);
    std::fputc('\n', stdout);
  }
  return kExitOk;
}

}  // namespace cli
