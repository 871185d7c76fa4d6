// Reader of the ASF (WMA) header objects: tags, codec description and play time.
#pragma once

#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// True when the file begins with the ASF Header Object, whatever its objects yield.
// A missing file gives false and leaves the record as it was; a file that cannot be
// opened or is not ASF gives false and leaves the record reset.
bool readWmaInfo(const std::string& path, SongInfo& info);
// The same over an open source; a source that is not open counts as a missing file.
bool readWmaInfo(Source& source, SongInfo& info);

}  // namespace tags
