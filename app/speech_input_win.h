// Speech input of the lyrics window: the "语音" button toggles between recording from the
// microphone and recognising what was said into the lyrics box.
#pragma once

#include <windows.h>

#include <string>

#include "lookup/recorder_win.h"

namespace app {

// Run on the GUI thread when the speech button is pressed; its caption says what to do.
// "语音": record (1 channel, 8000 samples per second, 16 bits), prompt in the lyrics box and
// show "停止". "停止": stop, save the recording to `recordingFile` (overwriting it), post it
// to the speech service, write the recognised words (or the failure text) into the lyrics
// box and show "语音" again; the window is back within the upload's time-outs. Any other
// caption: nothing.
void toggleSpeechInput(HWND speechButton, HWND lyricsBox, lookup::Recorder& recorder,
                       const std::string& recordingFile);

}  // namespace app
