// Reader of the FLAC metadata blocks (STREAMINFO, VORBIS_COMMENT).
#include "tags/flac.h"

namespace tags {

bool readFlacInfo(const std::string& path, SongInfo& info) {
  FileSource source(path);
  return readFlacInfo(source, info);
}

// Not read yet: the structure is treated as absent and the record is left alone.
bool readFlacInfo(Source& /*source*/, SongInfo& /*info*/) { return false; }

}  // namespace tags
