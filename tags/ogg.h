// Reader of Ogg Vorbis files: the identification and comment headers of the first pages and
// the granule position of the last page.
#pragma once

#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns true when the file begins with "OggS". A missing file leaves the record untouched;
// otherwise it is reset first.
bool readOggInfo(const std::string& path, SongInfo& info);
bool readOggInfo(Source& source, SongInfo& info);

}  // namespace tags
