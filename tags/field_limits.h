// What one field of a SongInfo may cost, whatever lengths a file claims.
#pragma once

#include <cstdint>

namespace tags {

// A text value larger than this, as stored in the file, is passed over: no tag writer
// makes one, and reading it would let a damaged file decide how much memory a song costs.
constexpr std::uint64_t kMaxTextBytes = std::uint64_t{2} << 20;

// Pictures are also bounded by the tag that holds them; a cover beyond this is passed over.
constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{16} << 20;

}  // namespace tags
