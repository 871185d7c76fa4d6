// The recorder over winmm's wave-input functions. Every call's result is checked: with no
// capture device at all, or a device that refuses the format, start() fails cleanly and
// the recording stays empty.
#include "lookup/recorder_win.h"

#include <algorithm>
#include <new>
#include <system_error>

#include "platform/file.h"

namespace lookup {

Recorder::~Recorder() { stop(); }

bool Recorder::setFormat(int channels, int samplesPerSecond, int bitsPerSample) {
  if (!isRecorderFormat(channels, samplesPerSecond, bitsPerSample)) return false;
  format_ = {static_cast<std::uint16_t>(channels), static_cast<std::uint32_t>(samplesPerSecond),
             static_cast<std::uint16_t>(bitsPerSample)};
  return true;
}

bool Recorder::start() {
  if (device_) stop();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    samples_.clear();
    stopping_ = false;
  }
  recordedFormat_ = format_;
  quit_ = false;

  WAVEFORMATEX wave = {};
  wave.wFormatTag = WAVE_FORMAT_PCM;
  wave.nChannels = format_.channels;
  wave.nSamplesPerSec = format_.samplesPerSecond;
  wave.wBitsPerSample = format_.bitsPerSample;
  wave.nBlockAlign = static_cast<WORD>(format_.channels * format_.bitsPerSample / 8);
  wave.nAvgBytesPerSec = wave.nBlockAlign * format_.samplesPerSecond;
  if (waveInOpen(nullptr, WAVE_MAPPER, &wave, 0, 0, WAVE_FORMAT_QUERY) != MMSYSERR_NOERROR)
    return false;

  bufferDone_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!bufferDone_) return false;
  HWAVEIN device = nullptr;
  if (waveInOpen(&device, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(bufferDone_), 0,
                 CALLBACK_EVENT) != MMSYSERR_NOERROR ||
      !device) {
    closeDevice();
    return false;
  }
  device_ = device;

  for (int i = 0; i < 2; ++i) {
    buffers_[i].assign(kBufferSize, 0);
    headers_[i] = {};
    headers_[i].lpData = buffers_[i].data();
    headers_[i].dwBufferLength = kBufferSize;
    prepared_[i] = waveInPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
    if (!prepared_[i] ||
        waveInAddBuffer(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
      closeDevice();
      return false;
    }
  }
  try {
    collector_ = std::thread(&Recorder::collect, this);
  } catch (const std::system_error&) {
    closeDevice();
    return false;
  }
  if (waveInStart(device_) != MMSYSERR_NOERROR) {
    closeDevice();
    return false;
  }
  return true;
}

void Recorder::stop() {
  if (!device_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  Sleep(10);
  closeDevice();
}

// Returns the buffers (waveInReset marks them done), lets the collector take in what they
// hold, then releases the device. Also undoes a start that failed half-way.
void Recorder::closeDevice() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  if (device_) waveInReset(device_);
  if (collector_.joinable()) {
    quit_ = true;
    SetEvent(bufferDone_);
    collector_.join();
  }
  if (device_) {
    for (int i = 0; i < 2; ++i) {
      if (prepared_[i]) waveInUnprepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
      prepared_[i] = false;
    }
    waveInClose(device_);
    device_ = nullptr;
  }
  if (bufferDone_) {
    CloseHandle(bufferDone_);
    bufferDone_ = nullptr;
  }
}

void Recorder::collect() {
  for (;;) {
    WaitForSingleObject(bufferDone_, INFINITE);
    // Once quit_ is seen the device has been reset: every buffer is back, so this last
    // round takes in all that remains.
    const bool last = quit_;
    takeBackBuffers(!last);
    if (last) return;
  }
}

void Recorder::takeBackBuffers(bool requeue) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (WAVEHDR& header : headers_) {
    if (!(header.dwFlags & WHDR_DONE)) continue;
    const auto* data = reinterpret_cast<const std::uint8_t*>(header.lpData);
    const DWORD recorded = header.dwBytesRecorded <= header.dwBufferLength ? header.dwBytesRecorded
                                                                           : header.dwBufferLength;
    try {
      samples_.insert(samples_.end(), data, data + recorded);
    } catch (const std::bad_alloc&) {
      // No memory for more: the recording keeps what it has, and this thread goes on.
    }
    header.dwFlags &= ~WHDR_DONE;
    header.dwBytesRecorded = 0;
    if (requeue && !stopping_) waveInAddBuffer(device_, &header, sizeof(WAVEHDR));
  }
}

bool Recorder::save(const std::string& path, bool overwrite) const {
  std::vector<std::uint8_t> samples;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    samples = samples_;
  }
  // A RIFF file describes at most 4 GiB; a longer recording keeps its first part.
  const std::size_t blockAlign = recordedFormat_.channels * recordedFormat_.bitsPerSample / 8u;
  if (samples.size() > kMaxWaveData) samples.resize(kMaxWaveData - kMaxWaveData % blockAlign);
  std::vector<std::uint8_t> bytes =
      waveHeader(recordedFormat_, static_cast<std::uint32_t>(samples.size()));
  bytes.insert(bytes.end(), samples.begin(), samples.end());

  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, overwrite ? CREATE_ALWAYS : CREATE_NEW,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return !overwrite && platform::fileExists(path);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const std::size_t chunk = std::min<std::size_t>(bytes.size() - written, 1u << 20);
    DWORD n = 0;
    if (!WriteFile(file, bytes.data() + written, static_cast<DWORD>(chunk), &n, nullptr) || n == 0)
      break;
    written += n;
  }
  CloseHandle(file);
  return written == bytes.size();
}

std::size_t Recorder::recordedBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return samples_.size();
}

}  // namespace lookup
