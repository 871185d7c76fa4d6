// Reader of the ID3v1/1.1 tag in the last 128 bytes of a file, and the ID3v1 genre names.
#pragma once

#include <cstddef>
#include <string>

#include "tags/song_info.h"
#include "tags/source.h"

namespace tags {

// Returns true when the last 128 bytes of the file begin with "TAG"; then title, artist,
// album, year, comment and track are replaced, and genre when its code is a known one.
// Texts are the tag's bytes as local text, cut at the first NUL and trimmed of spaces
// (also the local code page's full-width space). Files shorter than 128 bytes have no tag.
bool readId3v1(const std::string& path, SongInfo& info);
bool readId3v1(Source& source, SongInfo& info);

// The ID3v1 genre list (codes 0 to 79) and its Winamp extensions (80 to 147), indexed by
// genre code, each name written without spaces.
constexpr std::size_t kId3v1GenreCount = 148;
extern const char* const id3v1Genres[kId3v1GenreCount];

}  // namespace tags
