// The one bounds-checked byte cursor every reader reads through. A read past the end
// gives zeros (or fewer bytes) and clears the sticky ok flag; nothing is ever allocated
// beyond what the source holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tags/bytes.h"
#include "tags/source.h"

namespace tags {

class Cursor {
 public:
  explicit Cursor(Source& source) : src_(source), size_(source.size()) {}

  std::uint64_t size() const { return size_; }
  std::uint64_t tell() const { return pos_; }
  std::uint64_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
  bool ok() const { return ok_; }
  bool atEnd() const { return pos_ >= size_; }

  // Moves to an absolute offset; an offset past the end clears ok and parks at the end.
  void seek(std::uint64_t offset);
  void skip(std::uint64_t count);

  // Copies exactly n bytes into out; past the end the missing bytes are zero and ok clears.
  bool read(std::uint8_t* out, std::size_t n);

  std::uint8_t u8();
  std::uint16_t be16();
  std::uint32_t be24();
  std::uint32_t be32();
  std::uint16_t le16();
  std::uint32_t le32();
  std::uint64_t le64();

  // Up to n bytes, clamped to what remains (a short result clears ok).
  std::vector<std::uint8_t> bytes(std::uint64_t n);
  std::string text(std::uint64_t n);

 private:
  Source& src_;
  std::uint64_t size_;
  std::uint64_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace tags
