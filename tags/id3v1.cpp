// Reader of the ID3v1/1.1 tag in the last 128 bytes of a file.
#include "tags/id3v1.h"

namespace tags {

bool readId3v1(const std::string& path, SongInfo& info) {
  FileSource source(path);
  return readId3v1(source, info);
}

// Not read yet: the structure is treated as absent and the record is left alone.
bool readId3v1(Source& /*source*/, SongInfo& /*info*/) { return false; }

}  // namespace tags
