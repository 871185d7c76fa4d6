// The bounds-checked cursor: every length from a file is compared with what remains.
#include "tags/cursor.h"

#include <cstring>

namespace tags {

void Cursor::seek(std::uint64_t offset) {
  if (offset > size_) {
    ok_ = false;
    offset = size_;
  }
  pos_ = offset;
}

void Cursor::skip(std::uint64_t count) {
  if (count > remaining()) {
    ok_ = false;
    pos_ = size_;
    return;
  }
  pos_ += count;
}

bool Cursor::read(std::uint8_t* out, std::size_t n) {
  std::size_t got = 0;
  if (n <= remaining()) {
    got = src_.readAt(pos_, out, n);
  } else if (remaining() > 0) {
    got = src_.readAt(pos_, out, static_cast<std::size_t>(remaining()));
  }
  pos_ += got;
  if (got < n) {
    std::memset(out + got, 0, n - got);
    ok_ = false;
    pos_ = size_;
    return false;
  }
  return true;
}

std::uint8_t Cursor::u8() {
  std::uint8_t b = 0;
  read(&b, 1);
  return b;
}

#define TAGS_CURSOR_WORD(name, width)   \
  std::uint##width##_t Cursor::name() { \
    std::uint8_t b[8];                  \
    read(b, width / 8);                 \
    return tags::name(b);               \
  }
TAGS_CURSOR_WORD(be16, 16)
TAGS_CURSOR_WORD(be32, 32)
TAGS_CURSOR_WORD(le16, 16)
TAGS_CURSOR_WORD(le32, 32)
TAGS_CURSOR_WORD(le64, 64)
#undef TAGS_CURSOR_WORD

std::uint32_t Cursor::be24() {
  std::uint8_t b[3];
  read(b, 3);
  return tags::be24(b);
}

std::vector<std::uint8_t> Cursor::bytes(std::uint64_t n) {
  const std::uint64_t take = n < remaining() ? n : remaining();
  std::vector<std::uint8_t> out(static_cast<std::size_t>(take));
  if (take > 0) read(out.data(), out.size());
  if (take < n) ok_ = false;
  return out;
}

std::string Cursor::text(std::uint64_t n) {
  const std::uint64_t take = n < remaining() ? n : remaining();
  std::string out(static_cast<std::size_t>(take), '\0');
  if (take > 0) read(reinterpret_cast<std::uint8_t*>(&out[0]), out.size());
  if (take < n) ok_ = false;
  return out;
}

}  // namespace tags
