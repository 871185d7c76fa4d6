// Reader of the ASF (WMA) header objects.
#pragma once

#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns true when the file is an ASF file whose header was read.
bool readWmaInfo(const std::string& path, SongInfo& info);
bool readWmaInfo(Source& source, SongInfo& info);

}  // namespace tags
