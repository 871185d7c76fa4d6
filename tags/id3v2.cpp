// Reader of the ID3v2 tag at the start of a file (ID3v2.2, 2.3 and 2.4).
#include "tags/id3v2.h"

namespace tags {

bool readId3v2(const std::string& path, SongInfo& info) {
  FileSource source(path);
  return readId3v2(source, info);
}

// Not read yet: the structure is treated as absent and the record is left alone.
bool readId3v2(Source& /*source*/, SongInfo& /*info*/) { return false; }

}  // namespace tags
