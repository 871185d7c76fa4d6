// toggleSpeechInput: the recorder, the saved WAVE file and the upload, wired to the speech
// button and the lyrics box.
#include "app/speech_input_win.h"

#include "lookup/speech.h"
#include "lookup/speech_upload_win.h"
#include "ui/controls_win.h"

namespace app {

namespace {

constexpr int kChannels = 1;
constexpr int kSamplesPerSecond = 8000;
constexpr int kBitsPerSample = 16;

}  // namespace

void toggleSpeechInput(HWND speechButton, HWND lyricsBox, lookup::Recorder& recorder,
                       const std::string& recordingFile) {
  const std::string caption = ui::windowText(speechButton);
  if (caption == lookup::speechIdleCaption()) {
    // A recorder that cannot start leaves an empty recording, which is still sent.
    recorder.setFormat(kChannels, kSamplesPerSecond, kBitsPerSample);
    recorder.start();
    ui::setWindowText(lyricsBox, lookup::speechPromptText());
    ui::setWindowText(speechButton, lookup::speechRecordingCaption());
  } else if (caption == lookup::speechRecordingCaption()) {
    recorder.stop();
    recorder.save(recordingFile, true);
    ui::setWindowText(lyricsBox, lookup::speechBusyText());
    UpdateWindow(lyricsBox);  // the upload holds the thread: show the notice now
    const std::string reply = lookup::uploadRecording(recordingFile, kSamplesPerSecond);
    ui::setWindowText(lyricsBox, lookup::speechResult(reply));
    ui::setWindowText(speechButton, lookup::speechIdleCaption());
  }
}

}  // namespace app
