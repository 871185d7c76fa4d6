// A song of any size for tests of what a reader reads: `head` at its start, `tail` at its
// end, zeros between, and a count of the reads and bytes asked of it. Nothing of the size
// is ever allocated, so a 500 MB song costs a test what a 5 MB one does.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "tags/source.h"

namespace testing_support {

class SparseSource : public tags::Source {
 public:
  SparseSource(std::string head, std::uint64_t size, std::string tail = "")
      : head_(std::move(head)), tail_(std::move(tail)), size_(size) {}
  bool isOpen() const override { return true; }
  std::uint64_t size() const override { return size_; }
  std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) override {
    ++reads;
    if (offset >= size_) return 0;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - offset));
    bytesRead += count;
    const std::uint64_t tailStart = size_ - tail_.size();
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint64_t at = offset + i;
      char c = 0;
      if (at < head_.size())
        c = head_[static_cast<std::size_t>(at)];
      else if (at >= tailStart)
        c = tail_[static_cast<std::size_t>(at - tailStart)];
      out[i] = static_cast<std::uint8_t>(c);
    }
    return count;
  }
  std::size_t reads = 0;
  std::uint64_t bytesRead = 0;

 private:
  std::string head_, tail_;
  std::uint64_t size_;
};

}  // namespace testing_support
