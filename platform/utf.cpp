// UTF-8 and UTF-16 conversions that need no operating system, shared by both platforms.
#include "platform/utf.h"

#include <cstdint>

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

bool decodeUtf8At(const std::string& utf8, std::size_t pos, char32_t& cp, std::size_t& length) {
  const std::size_t n = utf8.size();
  const auto b0 = static_cast<uint8_t>(utf8[pos]);
  length = 1;
  cp = kReplacement;
  if (b0 < 0x80) {
    cp = b0;
    return true;
  }
  int need = 0;
  char32_t value = 0;
  // Bounds of the second byte narrow overlong forms and surrogates (RFC 3629 table).
  uint8_t lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
    value = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    value = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    value = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return false;
  }
  std::size_t j = pos + 1;
  for (int k = 0; k < need; ++k, ++j) {
    const uint8_t min = (k == 0) ? lo : 0x80;
    const uint8_t max = (k == 0) ? hi : 0xBF;
    if (j >= n || static_cast<uint8_t>(utf8[j]) < min || static_cast<uint8_t>(utf8[j]) > max) {
      length = j - pos;  // the maximal subpart ends where the bad byte starts
      return false;
    }
    value = (value << 6) | (static_cast<uint8_t>(utf8[j]) & 0x3F);
  }
  length = j - pos;
  cp = value;
  return true;
}

std::u16string decodeUtf8(const std::string& utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = 0;
    std::size_t length = 0;
    decodeUtf8At(utf8, i, cp, length);  // cp is U+FFFD for a bad subpart
    appendUtf16(out, cp);
    i += length;
  }
  return out;
}

std::string encodeUtf8(const std::u16string& wide) {
  std::string out;
  out.reserve(wide.size() * 3);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t cp = wide[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    appendUtf8(out, cp);
  }
  return out;
}

}  // namespace platform
