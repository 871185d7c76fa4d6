// ID3v2 unsynchronisation undone on the fly: a writer that unsynchronises a tag or frame
// puts a zero byte after every 0xFF (ID3v2.4 section 6.1), and a reader drops the zero
// byte of every FF 00 pair again before reading sizes or texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tags/source.h"

namespace tags {

// The bytes of `stored` with every zero byte that follows 0xFF removed. Nothing is copied
// ahead: a tag of any size costs a few marks (one for every 64 KiB) and one pass over its
// bytes to learn its restored size. Reads going forward continue where the last one
// ended; others start from the nearest mark.
class UnsyncSource : public Source {
 public:
  explicit UnsyncSource(Source& stored);
  bool isOpen() const override { return stored_.isOpen(); }
  std::uint64_t size() const override { return size_; }
  std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) override;

 private:
  struct Position {
    std::uint64_t stored = 0;
    std::uint64_t restored = 0;
    bool afterFF = false;  // the last byte taken was 0xFF: a zero byte next is dropped
  };
  static constexpr std::uint64_t kMarkStep = 64 * 1024;

  // Moves `at` over the next `count` restored bytes (fewer when the stored bytes end),
  // copying them to `out` unless it is null; returns how many it passed.
  std::uint64_t advance(Position& at, std::uint64_t count, std::uint8_t* out);

  Source& stored_;
  std::uint64_t size_ = 0;
  std::vector<Position> marks_;  // marks_[i]: where restored byte i * kMarkStep comes from
  Position last_;
};

}  // namespace tags
