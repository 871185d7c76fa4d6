// Reader of the ID3v2 tag at the start of a file (ID3v2.2, 2.3 and 2.4).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns true when the file begins with "ID3", whatever frames follow; false when it is
// missing, unreadable or starts otherwise. Only the fields of frames found are changed:
// title, artist, album, comment, track, year, composer, encoder, copyright, picture, url,
// genre and lyrics, the last frame of an id winning.
bool readId3v2(const std::string& path, SongInfo& info);
bool readId3v2(Source& source, SongInfo& info);

// Comment and lyrics frames (COMM, USLT; COM, ULT in ID3v2.2) carry a three-letter
// language between the encoding byte and the text; other text frames do not.
enum class LanguageField { absent, present };

// The text of a frame body (encoding byte first) in local text. Encoding 0 passes its bytes
// through as local text without their NULs; 1 and 2 are UTF-16 (byte-order marks and NUL
// units dropped wherever they stand, little-endian resp. big-endian until a mark says
// otherwise); 3 is UTF-8 up to its first NUL. Other encodings and empty bodies give "".
std::string decodeFrameText(const std::uint8_t* body, std::size_t size, LanguageField language);
std::string decodeFrameText(const std::vector<std::uint8_t>& body, LanguageField language);

}  // namespace tags
