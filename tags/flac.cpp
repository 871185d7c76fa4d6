// Reader of FLAC files: the STREAMINFO and VORBIS_COMMENT metadata blocks.
#include "tags/flac.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/text.h"
#include "tags/cursor.h"
#include "tags/vorbis_comment.h"

namespace tags {

namespace {

constexpr std::uint8_t kMarker[4] = {'f', 'L', 'a', 'C'};
constexpr unsigned kStreamInfo = 0;
constexpr unsigned kVorbisComment = 4;

const VorbisField kFlacFields[] = {
    {"ARTIST", &SongInfo::artist},     {"ALBUM", &SongInfo::album},
    {"TRACKNUMBER", &SongInfo::track}, {"TITLE", &SongInfo::title},
    {"DATE", &SongInfo::year},         {"GENRE", &SongInfo::genre},
    {"COMMENT", &SongInfo::comment},   {"LYRICS", &SongInfo::lyrics},
    {"URL", &SongInfo::url},           {"COPYRIGHT", &SongInfo::copyright},
};

const std::string& channelWord(unsigned channels) {
  static const std::string mono = platform::utf8ToLocal("单声道");
  static const std::string stereo = platform::utf8ToLocal("立体声");
  static const std::string many = platform::utf8ToLocal("多声道");
  return channels == 1 ? mono : channels == 2 ? stereo : many;  // 3 to 8
}

// STREAMINFO: sample rate, channels, bits per sample and total samples are big-endian bit
// fields after the 10 bytes of block and frame sizes.
void readStreamInfo(Cursor& cursor, SongInfo& info) {
  cursor.skip(10);
  std::uint8_t c[8];
  cursor.read(c, 8);
  const std::uint32_t sampleRate = (std::uint32_t{c[0]} << 12) | (c[1] << 4) | (c[2] >> 4);
  const unsigned channels = ((c[2] >> 1) & 7u) + 1;
  const unsigned bitsPerSample = (((c[2] & 1u) << 4) | (c[3] >> 4)) + 1;
  const std::uint64_t totalSamples = (std::uint64_t{c[3] & 15u} << 32) | be32(c + 4);

  info.sampleRate = std::to_string(sampleRate);
  info.channels = channelWord(channels);
  // An unknown sample count (0) or a zero rate leaves no play time to tell.
  if (sampleRate == 0 || totalSamples == 0) return;
  const std::uint64_t seconds = totalSamples / sampleRate;
  if (seconds <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
    info.duration = formatDuration(static_cast<std::int32_t>(seconds));
  // The file's size as a percentage of the raw PCM data it holds.
  const double rawBytes = static_cast<double>(totalSamples) * channels * bitsPerSample / 8.0;
  info.bitRate =
      std::to_string(std::llround(static_cast<double>(cursor.size()) / rawBytes * 100.0));
}

}  // namespace

bool readFlacInfo(const std::string& path, SongInfo& info) {
  return readExistingFile(path, info, &readFlacInfo);
}

bool readFlacInfo(Source& source, SongInfo& info) {
  if (!source.isOpen()) return false;
  resetSongInfo(info);
  Cursor cursor(source);
  std::uint8_t header[4];
  cursor.read(header, 4);
  if (compareBytes(header, kMarker, 4) != 0) return false;

  // Each pass moves on by at least the four header bytes, so the walk ends with the file.
  while (cursor.remaining() >= 4) {
    cursor.read(header, 4);
    const bool last = (header[0] & 0x80) != 0;
    const unsigned type = header[0] & 0x7Fu;
    const std::uint32_t length = be24(header + 1);
    const std::uint64_t body = cursor.tell();
    // STREAMINFO always holds 34 bytes: an empty one is the zeros of a damaged or zero-filled
    // file, and walking those four bytes at a time would cost a pass over the whole file.
    if (type == kStreamInfo && length == 0) break;
    if (length > 0) {
      if (type == kStreamInfo) {
        readStreamInfo(cursor, info);
      } else if (type == kVorbisComment) {
        // The comments are read within the block, and the walk goes on at its end.
        CursorRun run(cursor, body + length);
        const std::string vendor = readVorbisComments(
            run, kFlacFields, sizeof kFlacFields / sizeof kFlacFields[0], VorbisValue::toEnd, info);
        info.encoder = "Free Lossless Audio Codec(" + vendor + ")";
      }
      cursor.seek(body + length);
    }
    if (last) break;
  }
  return true;
}

}  // namespace tags
