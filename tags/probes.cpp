// The two tag probes.
#include "tags/probes.h"

#include "tags/song_info.h"

namespace tags {

std::int32_t probeId3v1(Source& source) {
  if (!source.isOpen() || source.size() < 128) return 0;
  std::uint8_t magic[3];
  if (source.readAt(source.size() - 128, magic, 3) != 3) return 0;
  return compareBytes(magic, "TAG", 3) == 0 ? 128 : 0;
}

std::int32_t probeId3v2(Source& source) {
  if (!source.isOpen()) return 0;
  std::uint8_t header[10];
  if (source.readAt(0, header, 10) != 10 || compareBytes(header, "ID3", 3) != 0) return 0;
  // Unmasked on purpose: b0 * 2^21 + b1 * 2^14 + b2 * 2^7 + b3 + 10. Even with every byte
  // at 0xFF the sum stays below 2^30, so it fits the 32-bit result.
  const std::int64_t length = (std::int64_t{header[6]} << 21) + (std::int64_t{header[7]} << 14) +
                              (std::int64_t{header[8]} << 7) + header[9] + 10;
  return static_cast<std::int32_t>(length);
}

std::int32_t probeId3v1(const std::string& path) {
  FileSource source(path);
  return probeId3v1(source);
}

std::int32_t probeId3v2(const std::string& path) {
  FileSource source(path);
  return probeId3v2(source);
}

}  // namespace tags
