// Reader of the MPEG audio stream facts (ISO/IEC 11172-3, 13818-3): play time, bit rate,
// sampling rate, channel mode and the version-and-layer description of an MP3 file.
#pragma once

#include <cstdint>
#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// The validity test for the 4 bytes of a frame header: frame sync, a known version,
// layer, bit rate (neither free format nor the forbidden index) and sampling rate, and an
// emphasis other than the reserved value.
bool isMpegFrameHeader(const std::uint8_t header[4]);

// Finds the first frame within 2048 bytes after the ID3v2 tag and stores duration (only
// when a frame was found), channels, bitRate (kbit/s, averaged over a Xing, Info or VBRI
// header when there is one), sampleRate and encoder. Returns false only when the file is
// missing or cannot be opened.
bool readMpegInfo(const std::string& path, SongInfo& info);
bool readMpegInfo(Source& source, SongInfo& info);

}  // namespace tags
