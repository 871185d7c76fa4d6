// libFuzzer entry points, one per reader and one for the whole dispatch. Built once per
// reader with LYRIVANE_FUZZ_CALL naming the reader to call, and once with
// LYRIVANE_FUZZ_DISPATCH for the dispatcher.
//
// Each input is read twice: as a file of exactly its bytes, and as a song of 1 GiB that
// begins and ends with those bytes and holds zeros between (never allocated). The second
// reading lets every size the input claims point into a real file of that size, and the run
// fails on any allocation above its -malloc_limit_mb: no claim may cost its size.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tags/ape.h"
#include "tags/flac.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/mpeg.h"
#include "tags/ogg.h"
#include "tags/song_info.h"
#include "tags/source.h"
#include "tags/wma.h"

namespace {

// The input at the start and at the end of a song of `size` bytes, zeros between.
class LargeSongSource : public tags::Source {
 public:
  LargeSongSource(const std::uint8_t* data, std::size_t length, std::uint64_t size)
      : data_(data), length_(std::min<std::uint64_t>(length, size / 2)), size_(size) {}
  bool isOpen() const override { return true; }
  std::uint64_t size() const override { return size_; }
  std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) override {
    if (offset >= size_) return 0;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - offset));
    const std::uint64_t tailStart = size_ - length_;
    for (std::size_t done = 0; done < n;) {
      const std::uint64_t at = offset + done;
      std::size_t take;
      if (at < length_) {
        take = static_cast<std::size_t>(std::min<std::uint64_t>(n - done, length_ - at));
        std::memcpy(out + done, data_ + at, take);
      } else if (at >= tailStart) {
        take = n - done;
        std::memcpy(out + done, data_ + (at - tailStart), take);
      } else {
        take = static_cast<std::size_t>(std::min<std::uint64_t>(n - done, tailStart - at));
        std::memset(out + done, 0, take);
      }
      done += take;
    }
    return n;
  }

 private:
  const std::uint8_t* data_;
  std::uint64_t length_;
  std::uint64_t size_;
};

constexpr std::uint64_t kLargeSong = std::uint64_t{1} << 30;

void readSong(const std::uint8_t* data, std::size_t size, void (*read)(tags::Source&)) {
  tags::MemorySource exact(data, size);
  read(exact);
  LargeSongSource large(data, size, kLargeSong);
  read(large);
}

#ifdef LYRIVANE_FUZZ_DISPATCH
// The dispatch target spends the first byte on the kind of song, so one corpus covers the
// five reading sequences.
tags::SongKind kind = tags::SongKind::mp3;
void readAsSong(tags::Source& source) {
  tags::SongInfo info;
  tags::readSongKind(kind, source, info);
}
#else
void readWithReader(tags::Source& source) {
  tags::SongInfo info;
  LYRIVANE_FUZZ_CALL(source, info);
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#ifdef LYRIVANE_FUZZ_DISPATCH
  if (size == 0) return 0;
  static const tags::SongKind kinds[] = {tags::SongKind::mp3, tags::SongKind::wma,
                                         tags::SongKind::ape, tags::SongKind::ogg,
                                         tags::SongKind::flac};
  kind = kinds[data[0] % 5];
  readSong(data + 1, size - 1, &readAsSong);
#else
  readSong(data, size, &readWithReader);
#endif
  return 0;
}
