// Reader of the Ogg Vorbis identification and comment headers.
#pragma once

#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns true when the file begins with an Ogg Vorbis stream.
bool readOggInfo(const std::string& path, SongInfo& info);
bool readOggInfo(Source& source, SongInfo& info);

}  // namespace tags
