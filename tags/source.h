// Where a reader's bytes come from: an open song file or a block of memory. Readers see
// only this interface, so tests and fuzzers feed them memory and one dispatch can hand
// the same open file to every reader of its sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file.h"

namespace tags {

class Source {
 public:
  virtual ~Source() = default;
  // False when the file is missing or could not be opened: readers then find nothing.
  virtual bool isOpen() const = 0;
  virtual std::uint64_t size() const = 0;
  // Reads up to n bytes at offset; returns how many were read (fewer near the end).
  virtual std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) = 0;
};

class MemorySource : public Source {
 public:
  MemorySource(const void* data, std::size_t size)
      : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
  explicit MemorySource(const std::string& bytes) : MemorySource(bytes.data(), bytes.size()) {}
  bool isOpen() const override { return true; }
  std::uint64_t size() const override { return size_; }
  std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) override;

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// A window of another source: offsets start at `begin`, and nothing past `begin + length`
// (or the other source's end) can be read. A reader hands the part of the file a structure
// claims to hold to the code that reads that structure, so no length inside it can reach
// beyond it.
class SliceSource : public Source {
 public:
  SliceSource(Source& outer, std::uint64_t begin, std::uint64_t length);
  bool isOpen() const override { return outer_.isOpen(); }
  std::uint64_t size() const override { return size_; }
  std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) override;

 private:
  Source& outer_;
  std::uint64_t begin_;
  std::uint64_t size_;
};

// A song file opened for reading (writers excluded), with a small cache of two blocks:
// readers ask for a few bytes at a time, mostly near the start and near the end of the
// file, and the MP3 sequence goes back and forth between the two.
class FileSource : public Source {
 public:
  explicit FileSource(const std::string& path) : file_(path) {}
  bool isOpen() const override { return file_.isOpen(); }
  std::uint64_t size() const override { return file_.size(); }
  std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) override;

 private:
  static constexpr std::size_t kBlock = 4096;
  struct Block {
    std::uint64_t start = 0;
    std::size_t length = 0;  // 0: nothing cached
    std::uint8_t bytes[kBlock];
  };
  platform::ReadOnlyFile file_;
  Block blocks_[2];
  int lastUsed_ = 0;
};

}  // namespace tags
