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

std::size_t FileSource::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
  if (!file_.isOpen() || offset >= file_.size()) return 0;
  if (n >= kBlock) return file_.readAt(offset, out, n);
  const bool inBlock =
      blockLength_ > 0 && offset >= blockStart_ && offset - blockStart_ + n <= blockLength_;
  if (!inBlock) {
    // Aligned blocks keep neighbouring small reads in one system call; a read that would
    // straddle a block boundary starts its own block at its offset.
    std::uint64_t start = offset - offset % kBlock;
    if (offset - start + n > kBlock) start = offset;
    blockStart_ = start;
    blockLength_ = file_.readAt(start, block_, kBlock);
    if (offset - blockStart_ >= blockLength_) return 0;
  }
  const std::size_t at = static_cast<std::size_t>(offset - blockStart_);
  const std::size_t count = n < blockLength_ - at ? n : blockLength_ - at;
  std::memcpy(out, block_ + at, count);
  return count;
}

}  // namespace tags
