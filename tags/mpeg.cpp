// Reader of the MPEG audio stream facts (ISO/IEC 11172-3, 13818-3).
#include "tags/mpeg.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/text.h"
#include "tags/cursor.h"
#include "tags/probes.h"

namespace tags {

namespace {

// How many positions after the ID3v2 tag may start the first frame.
constexpr std::uint64_t kFrameSearch = 2048;

// Every table is indexed by the raw header fields: version id (0 MPEG 2.5, 1 reserved,
// 2 MPEG 2, 3 MPEG 1) and layer (0 reserved, 1 Layer III, 2 Layer II, 3 Layer I).

// Bit rates in kbit/s. ISO/IEC 11172-3 for MPEG 1; ISO/IEC 13818-3 for MPEG 2, whose
// low-sampling-rate rows the unofficial MPEG 2.5 shares. Index 0 is free format and 15 is
// forbidden: both hold 0, as do the reserved version and layer.
constexpr int kMpeg1Layer1[16] = {0,   32,  64,  96,  128, 160, 192, 224,
                                  256, 288, 320, 352, 384, 416, 448, 0};
constexpr int kMpeg1Layer2[16] = {0,   32,  48,  56,  64,  80,  96,  112,
                                  128, 160, 192, 224, 256, 320, 384, 0};
constexpr int kMpeg1Layer3[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                  112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kMpeg2Layer1[16] = {0,   32,  48,  56,  64,  80,  96,  112,
                                  128, 144, 160, 176, 192, 224, 256, 0};
constexpr int kMpeg2Layer23[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kNoBitRates[16] = {};
constexpr const int* kBitRates[4][4] = {
    {kNoBitRates, kMpeg2Layer23, kMpeg2Layer23, kMpeg2Layer1},  // MPEG 2.5
    {kNoBitRates, kNoBitRates, kNoBitRates, kNoBitRates},       // reserved
    {kNoBitRates, kMpeg2Layer23, kMpeg2Layer23, kMpeg2Layer1},  // MPEG 2
    {kNoBitRates, kMpeg1Layer3, kMpeg1Layer2, kMpeg1Layer1},    // MPEG 1
};

constexpr int kSampleRates[4][4] = {
    {11025, 12000, 8000, 0},   // MPEG 2.5
    {0, 0, 0, 0},              // reserved
    {22050, 24000, 16000, 0},  // MPEG 2
    {44100, 48000, 32000, 0},  // MPEG 1
};

// Samples per frame divided by 8: Layer III frames of MPEG 2 and 2.5 hold half the
// samples of MPEG 1 frames.
int frameLengthFactor(int version, int layer) {
  if (layer == 3) return 48;
  if (layer == 2) return 144;
  return version == 3 ? 144 : 72;
}

// A Layer I slot is 4 bytes, the other layers' one byte.
int paddingSize(int layer, bool padded) {
  if (!padded) return 0;
  return layer == 3 ? 4 : 1;
}

const char* const kVersionNames[4] = {"MPEG 2.5", "MPEG ?", "MPEG 2", "MPEG 1"};
const char* const kLayerNames[4] = {"Layer ?", "Layer III", "Layer II", "Layer I"};

// Channel words by channel mode, converted to local text once.
const std::string& channelWord(int mode) {
  static const std::string words[4] = {
      platform::utf8ToLocal("立体声"),         // stereo
      platform::utf8ToLocal("立体声(Joint)"),  // joint stereo
      platform::utf8ToLocal("双通道"),         // dual channel
      platform::utf8ToLocal("单声道"),         // mono
  };
  return words[mode & 3];
}

// Truncates toward zero and keeps the result within what formatDuration takes; only a
// broken header gets near the limits.
std::int32_t truncatedSeconds(double seconds) {
  if (!(seconds == seconds)) return 0;  // NaN
  const double t = std::trunc(seconds);
  if (t >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  if (t <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(t);
}

std::string wholeNumber(double value) {
  if (!(value == value)) return "0";
  const double limit = 9.0e18;
  if (value > limit) value = limit;
  if (value < -limit) value = -limit;
  return std::to_string(static_cast<long long>(value));
}

struct VbrCounts {
  bool found = false;
  std::uint32_t frames = 0;
  std::uint32_t bytes = 0;
};

// Looks for "Xing", "Info" or "VBRI" at each of the first frameLength positions after the
// 4 header bytes. `frame` holds the bytes from there on, zero past the end of the file,
// with room for the longest header after the last position.
VbrCounts findVbrHeader(const std::vector<std::uint8_t>& frame, std::size_t frameLength) {
  VbrCounts counts;
  for (std::size_t i = 0; i < frameLength; ++i) {
    const std::uint8_t* p = frame.data() + i;
    if (compareBytes(p, "Xing", 4) == 0 || compareBytes(p, "Info", 4) == 0) {
      // Magic, flags (not consulted), frame count, byte count.
      counts.found = true;
      counts.frames = be32(p + 8);
      counts.bytes = be32(p + 12);
      return counts;
    }
    if (compareBytes(p, "VBRI", 4) == 0) {
      // Magic, version, delay, quality, then byte count before frame count.
      counts.found = true;
      counts.bytes = be32(p + 10);
      counts.frames = be32(p + 14);
      return counts;
    }
  }
  return counts;
}

constexpr std::size_t kLongestVbrHeader = 18;  // "VBRI" + 6 + byte count + frame count

}  // namespace

bool isMpegFrameHeader(const std::uint8_t header[4]) {
  if (header[0] != 0xFF) return false;
  if ((header[1] & 0xE0) != 0xE0) return false;
  const int version = (header[1] >> 3) & 3;
  const int layer = (header[1] >> 1) & 3;
  const int bitRateIndex = header[2] >> 4;
  const int sampleRateIndex = (header[2] >> 2) & 3;
  const int emphasis = header[3] & 3;
  return version != 1 && layer != 0 && bitRateIndex != 15 && bitRateIndex != 0 &&
         sampleRateIndex != 3 && emphasis != 2;
}

bool readMpegInfo(const std::string& path, SongInfo& info) {
  FileSource source(path);
  return readMpegInfo(source, info);
}

bool readMpegInfo(Source& source, SongInfo& info) {
  if (!source.isOpen()) return false;
  const std::uint64_t id3v2Length = static_cast<std::uint64_t>(probeId3v2(source));
  const std::uint64_t id3v1Length = static_cast<std::uint64_t>(probeId3v1(source));
  Cursor cursor(source);
  const std::uint64_t fileLength = cursor.size();

  // The frame search reads its whole window at once; bytes past the end are zero.
  std::uint8_t window[kFrameSearch + 3] = {};
  bool found = false;
  std::uint64_t frameStart = 0;
  if (id3v2Length < fileLength) {
    cursor.seek(id3v2Length);
    cursor.read(window, sizeof window);
    for (std::uint64_t i = 0; i < kFrameSearch && id3v2Length + i < fileLength; ++i) {
      if (isMpegFrameHeader(window + i)) {
        found = true;
        frameStart = id3v2Length + i;
        break;
      }
    }
  }

  if (!found) {
    info.channels.clear();
    info.bitRate = "0";
    info.sampleRate = "0";
    info.encoder = " ";  // no version name, " ", no layer name
    return true;
  }

  const std::uint8_t* header = window + (frameStart - id3v2Length);
  const int version = (header[1] >> 3) & 3;
  const int layer = (header[1] >> 1) & 3;
  const bool padded = (header[2] >> 1) & 1;
  const int channelMode = header[3] >> 6;
  double bitRate = kBitRates[version][layer][header[2] >> 4];
  const double sampleRate = kSampleRates[version][(header[2] >> 2) & 3];
  const double factor = frameLengthFactor(version, layer);
  const double padding = paddingSize(layer, padded);

  const double frameLength = std::floor(factor * bitRate * 1000 / sampleRate) + padding;

  // Constant bit rate: the audio runs from the frame to the ID3v1 tag or the end.
  const double audioBytes = static_cast<double>(fileLength) - static_cast<double>(id3v1Length) -
                            static_cast<double>(frameStart);
  info.duration = formatDuration(truncatedSeconds(audioBytes * 8 / (bitRate * 1000)));

  // A Xing, Info or VBRI header in the first frame tells the real frame and byte counts.
  const std::size_t lookLength = static_cast<std::size_t>(frameLength);
  std::vector<std::uint8_t> frame(lookLength + kLongestVbrHeader);
  cursor.seek(frameStart + 4);
  cursor.read(frame.data(), frame.size());
  const VbrCounts vbr = findVbrHeader(frame, lookLength);
  // A frame count of 0 says nothing about the stream: the constant-rate figures stay.
  if (vbr.found && vbr.frames != 0) {
    const double frames = vbr.frames;
    const double bytes = vbr.bytes;
    bitRate = std::round((bytes / frames - padding) * sampleRate / factor / 1000);
    info.duration = formatDuration(truncatedSeconds(frames * factor * 8 / sampleRate));
  }

  info.channels = channelWord(channelMode);
  info.bitRate = wholeNumber(bitRate);
  info.sampleRate = wholeNumber(sampleRate);
  info.encoder = std::string(kVersionNames[version]) + " " + kLayerNames[layer];
  return true;
}

}  // namespace tags
