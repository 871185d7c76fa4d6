// Reader of the Monkey's Audio header and APEv2 tag.
#pragma once

#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns true when the file holds a Monkey's Audio header or an APEv2 tag.
bool readApeInfo(const std::string& path, SongInfo& info);
bool readApeInfo(Source& source, SongInfo& info);

}  // namespace tags
