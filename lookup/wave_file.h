// WAVE files of PCM samples (the RIFF WAVE layout: a "RIFF" chunk holding "fmt " and "data"):
// the 44-byte header the recorder writes in front of its samples, and the reader that
// checks a file before it is posted to the speech service.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lookup {

struct WaveFormat {
  std::uint16_t channels = 1;
  std::uint32_t samplesPerSecond = 8000;
  std::uint16_t bitsPerSample = 16;
  bool operator==(const WaveFormat& o) const {
    return channels == o.channels && samplesPerSecond == o.samplesPerSecond &&
           bitsPerSample == o.bitsPerSample;
  }
};

// The formats the recorder takes: 1 or 2 channels; 8000, 11025, 22050 or 44100 samples per
// second; 8 or 16 bits per sample.
bool isRecorderFormat(int channels, int samplesPerSecond, int bitsPerSample);

constexpr std::size_t kWaveHeaderSize = 44;
// The most sample bytes a RIFF size field (data length + 36) can describe.
constexpr std::uint32_t kMaxWaveData = 0xFFFFFFFFu - 36u;

// "RIFF", data length + 36, "WAVEfmt ", a 16-byte PCM format chunk, "data", data length;
// all little-endian.
std::vector<std::uint8_t> waveHeader(const WaveFormat& format, std::uint32_t dataLength);

struct WaveFile {
  WaveFormat format;
  std::size_t dataOffset = 0;  // where the samples start in the file
  std::uint32_t dataLength = 0;
};

// Reads a PCM WAVE file: "RIFF" ... "WAVE", a "fmt " chunk with format tag 1 (PCM), then a
// "data" chunk wholly inside the bytes; other chunks are stepped over. False for a file
// that is truncated, is not RIFF WAVE, or holds anything but PCM.
bool readWave(const std::vector<std::uint8_t>& bytes, WaveFile& out);

}  // namespace lookup
