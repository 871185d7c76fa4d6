// ID3v2 unsynchronisation undone on the fly.
#include "tags/id3v2_unsync.h"

#include <algorithm>
#include <cstring>

namespace tags {

UnsyncSource::UnsyncSource(Source& stored) : stored_(stored) {
  Position at;
  for (;;) {
    marks_.push_back(at);
    if (advance(at, kMarkStep, nullptr) < kMarkStep) break;
  }
  size_ = at.restored;
}

std::uint64_t UnsyncSource::advance(Position& at, std::uint64_t count, std::uint8_t* out) {
  std::uint8_t chunk[16 * 1024];
  std::uint64_t done = 0;
  while (done < count) {
    // Each restored byte takes at most two stored ones (0xFF and the zero after it).
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof chunk, 2 * (count - done) + 1));
    const std::size_t got = stored_.readAt(at.stored, chunk, want);
    if (got == 0) break;
    const std::uint8_t* p = chunk;
    const std::uint8_t* const end = chunk + got;
    while (p < end && done < count) {
      if (at.afterFF) {
        at.afterFF = false;
        if (*p == 0) {
          ++p;
          continue;
        }
      }
      // Everything up to and including the next 0xFF passes unchanged.
      const auto span = static_cast<std::size_t>(
          std::min<std::uint64_t>(static_cast<std::uint64_t>(end - p), count - done));
      const void* ff = std::memchr(p, 0xFF, span);
      const std::size_t take =
          ff ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(ff) - p) + 1 : span;
      if (out) std::memcpy(out + done, p, take);
      done += take;
      p += take;
      at.afterFF = ff != nullptr;
    }
    at.stored += static_cast<std::uint64_t>(p - chunk);
  }
  at.restored += done;
  return done;
}

std::size_t UnsyncSource::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
  if (offset >= size_) return 0;
  if (offset < last_.restored || offset - last_.restored > kMarkStep)
    last_ = marks_[static_cast<std::size_t>(offset / kMarkStep)];
  advance(last_, offset - last_.restored, nullptr);
  return static_cast<std::size_t>(advance(last_, n, out));
}

}  // namespace tags
