// Reader of the MPEG audio stream facts (ISO/IEC 11172-3, 13818-3).
#include "tags/mpeg.h"

namespace tags {

bool readMpegInfo(const std::string& path, SongInfo& info) {
  FileSource source(path);
  return readMpegInfo(source, info);
}

// Not read yet: the structure is treated as absent and the record is left alone.
bool readMpegInfo(Source& /*source*/, SongInfo& /*info*/) { return false; }

}  // namespace tags
