// The sound recorder of the lyrics window (录音1): captures from the system's preferred
// wave-input device into memory and saves the recording as a WAVE file.
//
// The driver hands filled buffers back by signalling an event; a thread of the recorder's
// own takes them back, appends their samples and queues them again. Wave functions are
// never called from the driver's callback, where they may deadlock, and the recording is
// guarded by a lock, so the GUI thread can stop, start or save at any moment.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lookup/wave_file.h"

namespace lookup {

class Recorder {
 public:
  static constexpr std::size_t kBufferSize = 4096;

  Recorder() = default;
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Takes the format when isRecorderFormat() accepts it; otherwise keeps the old one.
  bool setFormat(int channels, int samplesPerSecond, int bitsPerSample);
  WaveFormat format() const { return format_; }

  // Drops the earlier recording (stopping a running one) and starts capturing in the set
  // format. False when no device takes the format or it cannot be opened; the recording is
  // then empty.
  bool start();
  // Ends the capture and keeps what was recorded. Nothing when not recording.
  void stop();
  bool recording() const { return device_ != nullptr; }

  // Writes the recording as a WAVE file, unless the file exists and `overwrite` is false.
  // True when the file exists afterwards and, if written, was written whole.
  bool save(const std::string& path, bool overwrite) const;

  // Sample bytes recorded so far.
  std::size_t recordedBytes() const;

 private:
  void collect();
  void takeBackBuffers(bool requeue);
  void closeDevice();

  WaveFormat format_;
  WaveFormat recordedFormat_;  // the format the recording was made in
  HWAVEIN device_ = nullptr;
  HANDLE bufferDone_ = nullptr;  // signalled by the driver for every returned buffer
  WAVEHDR headers_[2] = {};
  std::vector<char> buffers_[2];
  bool prepared_[2] = {false, false};
  std::thread collector_;
  std::atomic<bool> quit_{false};

  mutable std::mutex mutex_;           // guards the two below and the re-queueing
  std::vector<std::uint8_t> samples_;  // the recording
  bool stopping_ = false;
};

}  // namespace lookup
