// Reader of the ID3v1/1.1 tag in the last 128 bytes of a file.
#pragma once

#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns true when the file ends with an ID3v1 tag.
bool readId3v1(const std::string& path, SongInfo& info);
bool readId3v1(Source& source, SongInfo& info);

}  // namespace tags
