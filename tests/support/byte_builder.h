// Builds test fixtures field by field: song files and pages as exact bytes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace testing_support {

class ByteBuilder {
 public:
  ByteBuilder& raw(const std::string& bytes) {
    data_ += bytes;
    return *this;
  }
  ByteBuilder& bytes(std::initializer_list<int> values) {
    for (int v : values) data_.push_back(static_cast<char>(v));
    return *this;
  }
  ByteBuilder& fill(std::size_t count, int value) {
    data_.append(count, static_cast<char>(value));
    return *this;
  }
  ByteBuilder& u8(std::uint32_t v) { return put(v, 1, false); }
  ByteBuilder& be16(std::uint32_t v) { return put(v, 2, true); }
  ByteBuilder& be24(std::uint32_t v) { return put(v, 3, true); }
  ByteBuilder& be32(std::uint32_t v) { return put(v, 4, true); }
  ByteBuilder& le16(std::uint32_t v) { return put(v, 2, false); }
  ByteBuilder& le32(std::uint32_t v) { return put(v, 4, false); }
  ByteBuilder& le64(std::uint64_t v) { return put(v, 8, false); }
  ByteBuilder& syncsafe32(std::uint32_t v) {
    return bytes({static_cast<int>((v >> 21) & 0x7F), static_cast<int>((v >> 14) & 0x7F),
                  static_cast<int>((v >> 7) & 0x7F), static_cast<int>(v & 0x7F)});
  }
  // UTF-16LE code units of a UTF-16 string, without terminator.
  ByteBuilder& utf16le(const std::u16string& text) {
    for (char16_t u : text) le16(u);
    return *this;
  }

  std::size_t size() const { return data_.size(); }
  const std::string& str() const { return data_; }
  operator const std::string&() const { return data_; }

 private:
  ByteBuilder& put(std::uint64_t v, int width, bool bigEndian) {
    for (int i = 0; i < width; ++i) {
      const int shift = bigEndian ? 8 * (width - 1 - i) : 8 * i;
      data_.push_back(static_cast<char>((v >> shift) & 0xFF));
    }
    return *this;
  }
  std::string data_;
};

}  // namespace testing_support
