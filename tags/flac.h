// Reader of FLAC files: the STREAMINFO and VORBIS_COMMENT metadata blocks.
#pragma once

#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns true when the file begins with "fLaC" (a leading ID3v2 tag is not skipped). A
// missing file leaves the record untouched; otherwise it is reset first.
bool readFlacInfo(const std::string& path, SongInfo& info);
bool readFlacInfo(Source& source, SongInfo& info);

}  // namespace tags
