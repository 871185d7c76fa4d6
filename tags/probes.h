// The two tag probes: where the ID3v2 tag at the start of a file ends, and whether an
// ID3v1 tag takes the last 128 bytes. The stream readers use them to find the audio.
#pragma once

#include <cstdint>
#include <string>

#include "tags/source.h"

namespace tags {

// 128 when the file's last 128 bytes begin with "TAG", else 0 (also for files shorter
// than 128 bytes and files that cannot be opened).
std::int32_t probeId3v1(const std::string& path);
std::int32_t probeId3v1(Source& source);

// The length of the ID3v2 tag including its 10-byte header when the file begins with
// "ID3", else 0. The size bytes are taken whole, without the ID3v2 0x7F mask.
std::int32_t probeId3v2(const std::string& path);
std::int32_t probeId3v2(Source& source);

}  // namespace tags
