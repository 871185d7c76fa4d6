// Reader of the FLAC metadata blocks (STREAMINFO, VORBIS_COMMENT).
#pragma once

#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns true when the file is a FLAC stream.
bool readFlacInfo(const std::string& path, SongInfo& info);
bool readFlacInfo(Source& source, SongInfo& info);

}  // namespace tags
