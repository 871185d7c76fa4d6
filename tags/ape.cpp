// Reader of the Monkey's Audio header and APEv2 tag.
#include "tags/ape.h"

namespace tags {

bool readApeInfo(const std::string& path, SongInfo& info) {
  FileSource source(path);
  return readApeInfo(source, info);
}

// Not read yet: the structure is treated as absent and the record is left alone.
bool readApeInfo(Source& /*source*/, SongInfo& /*info*/) { return false; }

}  // namespace tags
