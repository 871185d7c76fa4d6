// Reader of the Monkey's Audio stream header and the APEv2 tag at the end of a file (an
// APE file, or an MP3 file whose tagger wrote APEv2).
#pragma once

#include <cstdint>
#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Resets the record (when the file exists), fills the stream facts when a Monkey's Audio
// header follows the ID3v2 tag (or starts the file), and the text fields and picture
// from an APEv2 tag that ends the file or stands before its ID3v1 tag. Returns true when
// an APEv2 footer was found, whether or not any item was used.
bool readApeInfo(const std::string& path, SongInfo& info);
bool readApeInfo(Source& source, SongInfo& info);

// The stream description: "Monkey's Audio " and the version divided by 1000, with no
// trailing zeros (3990 gives "Monkey's Audio 3.99", 4000 "Monkey's Audio 4").
std::string monkeysAudioEncoder(std::uint16_t version);

}  // namespace tags
