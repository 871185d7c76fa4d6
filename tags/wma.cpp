// Reader of the ASF (WMA) header objects.
#include "tags/wma.h"

namespace tags {

bool readWmaInfo(const std::string& path, SongInfo& info) {
  FileSource source(path);
  return readWmaInfo(source, info);
}

// Not read yet: the structure is treated as absent and the record is left alone.
bool readWmaInfo(Source& /*source*/, SongInfo& /*info*/) { return false; }

}  // namespace tags
