// Reader of the MPEG audio stream facts (ISO/IEC 11172-3, 13818-3).
#pragma once

#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns false only when the file is missing or cannot be opened.
bool readMpegInfo(const std::string& path, SongInfo& info);
bool readMpegInfo(Source& source, SongInfo& info);

}  // namespace tags
