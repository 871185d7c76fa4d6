// Reader of the ID3v2 tag at the start of a file (ID3v2.2, 2.3 and 2.4).
#pragma once

#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns true when the file begins with an ID3v2 tag.
bool readId3v2(const std::string& path, SongInfo& info);
bool readId3v2(Source& source, SongInfo& info);

}  // namespace tags
