// Reader of the Ogg Vorbis identification and comment headers.
#include "tags/ogg.h"

namespace tags {

bool readOggInfo(const std::string& path, SongInfo& info) {
  FileSource source(path);
  return readOggInfo(source, info);
}

// Not read yet: the structure is treated as absent and the record is left alone.
bool readOggInfo(Source& /*source*/, SongInfo& /*info*/) { return false; }

}  // namespace tags
