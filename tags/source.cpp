// Memory and file sources for the readers.
#include "tags/source.h"

#include <cstring>

namespace tags {

std::size_t MemorySource::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
  if (offset >= size_) return 0;
  const std::size_t left = size_ - static_cast<std::size_t>(offset);
  const std::size_t count = n < left ? n : left;
  std::memcpy(out, data_ + offset, count);
  return count;
}

SliceSource::SliceSource(Source& outer, std::uint64_t begin, std::uint64_t length)
    : outer_(outer), begin_(begin), size_(0) {
  const std::uint64_t outerSize = outer.size();
  if (begin < outerSize) size_ = length < outerSize - begin ? length : outerSize - begin;
}

std::size_t SliceSource::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
  if (offset >= size_) return 0;
  const std::uint64_t left = size_ - offset;
  return outer_.readAt(begin_ + offset, out, n < left ? n : static_cast<std::size_t>(left));
}

std::size_t FileSource::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
  if (!file_.isOpen() || offset >= file_.size()) return 0;
  if (n >= kBlock) return file_.readAt(offset, out, n);
  int use = -1;
  for (int i = 0; i < 2; ++i) {
    const Block& b = blocks_[i];
    if (b.length > 0 && offset >= b.start && offset - b.start + n <= b.length) use = i;
  }
  if (use < 0) {
    // Refill the block used least recently. Aligned blocks keep neighbouring small reads
    // in one system call; a read that would straddle a boundary starts its own block.
    use = 1 - lastUsed_;
    Block& b = blocks_[use];
    std::uint64_t start = offset - offset % kBlock;
    if (offset - start + n > kBlock) start = offset;
    b.start = start;
    b.length = file_.readAt(start, b.bytes, kBlock);
    if (offset - b.start >= b.length) {
      b.length = 0;
      return 0;
    }
  }
  lastUsed_ = use;
  const Block& b = blocks_[use];
  const std::size_t at = static_cast<std::size_t>(offset - b.start);
  const std::size_t count = n < b.length - at ? n : b.length - at;
  std::memcpy(out, b.bytes + at, count);
  return count;
}

}  // namespace tags
