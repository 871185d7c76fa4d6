// The WAVE header and its reader.
#include "lookup/wave_file.h"

#include <cstring>

#include "tags/bytes.h"

namespace lookup {

namespace {

void putLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  putLe16(out, v & 0xFFFFu);
  putLe16(out, v >> 16);
}

void putTag(std::vector<std::uint8_t>& out, const char* tag) {
  out.insert(out.end(), tag, tag + std::strlen(tag));
}

bool hasTag(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

constexpr std::uint16_t kFormatPcm = 1;

}  // namespace

bool isRecorderFormat(int channels, int samplesPerSecond, int bitsPerSample) {
  const bool rate = samplesPerSecond == 8000 || samplesPerSecond == 11025 ||
                    samplesPerSecond == 22050 || samplesPerSecond == 44100;
  return (channels == 1 || channels == 2) && rate && (bitsPerSample == 8 || bitsPerSample == 16);
}

std::vector<std::uint8_t> waveHeader(const WaveFormat& format, std::uint32_t dataLength) {
  const std::uint32_t blockAlign = format.channels * format.bitsPerSample / 8u;
  std::vector<std::uint8_t> out;
  out.reserve(kWaveHeaderSize);
  putTag(out, "RIFF");
  putLe32(out, dataLength + 36u);
  putTag(out, "WAVEfmt ");
  putLe32(out, 16);
  putLe16(out, kFormatPcm);
  putLe16(out, format.channels);
  putLe32(out, format.samplesPerSecond);
  putLe32(out, blockAlign * format.samplesPerSecond);
  putLe16(out, blockAlign);
  putLe16(out, format.bitsPerSample);
  putTag(out, "data");
  putLe32(out, dataLength);
  return out;
}

bool readWave(const std::vector<std::uint8_t>& bytes, WaveFile& out) {
  const std::size_t size = bytes.size();
  if (size < 12 || !hasTag(bytes.data(), "RIFF") || !hasTag(bytes.data() + 8, "WAVE")) return false;
  bool haveFormat = false;
  WaveFormat format;
  // Chunks: a four-byte id, a little-endian length, the body, a pad byte after an odd body.
  for (std::size_t pos = 12; 8 <= size - pos;) {
    const std::uint8_t* chunk = bytes.data() + pos;
    const std::uint32_t length = tags::le32(chunk + 4);
    const std::size_t body = pos + 8;
    if (length > size - body) return false;  // truncated
    if (hasTag(chunk, "fmt ")) {
      if (length < 16 || tags::le16(chunk + 8) != kFormatPcm) return false;
      format.channels = tags::le16(chunk + 10);
      format.samplesPerSecond = tags::le32(chunk + 12);
      format.bitsPerSample = tags::le16(chunk + 22);
      if (format.channels == 0 || format.samplesPerSecond == 0 || format.bitsPerSample == 0 ||
          format.bitsPerSample % 8 != 0)
        return false;
      haveFormat = true;
    } else if (hasTag(chunk, "data")) {
      if (!haveFormat) return false;
      out.format = format;
      out.dataOffset = body;
      out.dataLength = length;
      return true;
    }
    const std::size_t step = std::size_t{length} + (length & 1u);
    if (step > size - body) break;
    pos = body + step;
  }
  return false;
}

}  // namespace lookup
