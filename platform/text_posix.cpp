// Local text on Linux: GB18030 through glibc's iconv. Every conversion goes through UTF-8,
// which iconv handles without loss in both directions for GB18030.
#include <errno.h>
#include <iconv.h>

#include "platform/text.h"
#include "platform/utf.h"

namespace platform {

namespace {

// One converter per direction and thread: iconv_open costs more than a whole tag read.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; a byte the source encoding rejects is handed to `onBad`, which appends
  // its own replacement, and the conversion goes on after it.
  template <typename OnBad>
  std::string run(const std::string& in, OnBad onBad) {
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[1024];
    while (srcLeft > 0) {
      char* dst = buf;
      size_t dstLeft = sizeof buf;
      const size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buf, sizeof buf - dstLeft);
      if (r == static_cast<size_t>(-1)) {
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (a sequence cut short at the end): replace one byte, go on.
        onBad(out);
        ++src;
        --srcLeft;
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

Converter& toLocal() {
  thread_local Converter c("GB18030", "UTF-8");
  return c;
}

Converter& fromLocal() {
  thread_local Converter c("UTF-8", "GB18030");
  return c;
}

// ASCII is the same in UTF-8, UTF-16 and GB18030: most tags and paths are plain ASCII and
// need no conversion at all.
bool isAscii(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// A path on Linux is bytes, and a folder named in Latin-1 or another legacy encoding is not
// UTF-8. In a path each byte that is not part of valid UTF-8 is kept in local text as one of
// 128 four-byte GB 18030 sequences that no character uses (85 30 81 30 to 85 30 8D 37;
// GB 18030 leaves 84 31 A5 30 to 8F 39 FE 39 unassigned, and iconv refuses them), and
// localPathToUtf8 gives the byte back: such a path is opened and renamed as it is.
constexpr unsigned char kKeptLead = 0x85;
constexpr unsigned char kKeptSecond = 0x30;

std::string escapedByte(char byte) {
  const unsigned index = static_cast<unsigned char>(byte) - 0x80u;
  return {static_cast<char>(kKeptLead), static_cast<char>(kKeptSecond),
          static_cast<char>(0x81 + index / 10), static_cast<char>(0x30 + index % 10)};
}

// The byte a kept sequence at `pos` stands for, or -1 when the four bytes there are not one.
int unescapedByte(const std::string& text, std::size_t pos) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  if (b(0) != kKeptLead || b(1) != kKeptSecond) return -1;
  const unsigned index = (b(2) - 0x81u) * 10 + (b(3) - 0x30u);
  return index < 0x80 ? static_cast<int>(0x80 + index) : -1;
}

bool isAscii(const std::u16string& text) {
  for (const char16_t c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string wideToLocal(const std::u16string& wide) {
  if (isAscii(wide)) return std::string(wide.begin(), wide.end());
  // GB18030 maps all of Unicode; only an unpaired surrogate has no character to map.
  std::u16string clean;
  clean.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char16_t u = wide[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      clean.push_back(u);
      clean.push_back(wide[++i]);
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      clean.push_back(u'?');
    } else {
      clean.push_back(u);
    }
  }
  return toLocal().run(encodeUtf8(clean), [](std::string& out) { out.push_back('?'); });
}

std::u16string localToWide(const std::string& local) {
  if (isAscii(local)) return std::u16string(local.begin(), local.end());
  return decodeUtf8(fromLocal().run(local, [](std::string& out) { out += "\xEF\xBF\xBD"; }));
}

bool wideToLocalExact(const std::u16string& wide, std::string& local) {
  local = wideToLocal(wide);
  return localToWide(local) == wide;
}

std::string utf8ToLocal(const std::string& utf8) {
  if (isAscii(utf8)) return utf8;
  return wideToLocal(decodeUtf8(utf8));
}

std::string localToUtf8(const std::string& local) {
  if (isAscii(local)) return local;
  return fromLocal().run(local, [](std::string& out) { out += "\xEF\xBF\xBD"; });
}

std::string utf8PathToLocal(const std::string& utf8) {
  if (isAscii(utf8)) return utf8;
  std::string out;
  std::size_t run = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    std::size_t length = 0;
    if (decodeUtf8At(utf8, pos, cp, length)) {
      pos += length;
      continue;
    }
    // Valid UTF-8 has no surrogates: iconv takes each run whole.
    out += toLocal().run(utf8.substr(run, pos - run), [](std::string& o) { o.push_back('?'); });
    for (const std::size_t end = pos + length; pos < end; ++pos) out += escapedByte(utf8[pos]);
    run = pos;
  }
  out += toLocal().run(utf8.substr(run), [](std::string& o) { o.push_back('?'); });
  return out;
}

std::string localPathToUtf8(const std::string& local) {
  if (isAscii(local)) return local;
  const auto replace = [](std::string& o) { o += "\xEF\xBF\xBD"; };
  std::string out;
  std::size_t run = 0;
  std::size_t pos = 0;
  while (pos < local.size()) {
    const std::size_t length = localCharLength(local, pos);
    const int raw = length == 4 ? unescapedByte(local, pos) : -1;
    if (raw < 0) {
      pos += length;
      continue;
    }
    out += fromLocal().run(local.substr(run, pos - run), replace);
    out.push_back(static_cast<char>(raw));
    pos += length;
    run = pos;
  }
  out += fromLocal().run(local.substr(run), replace);
  return out;
}

std::size_t localCharLength(const std::string& text, std::size_t pos) {
  const std::size_t left = pos < text.size() ? text.size() - pos : 0;
  if (left == 0) return 0;
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const auto in = [](unsigned char b, unsigned char lo, unsigned char hi) {
    return b >= lo && b <= hi;
  };
  if (!in(at(0), 0x81, 0xFE) || left < 2) return 1;
  // GB 18030: a four-byte character is lead 81-FE, digit, 81-FE, digit, all four present;
  // a double-byte one is lead 81-FE with 40-7E or 80-FE. Any other byte stands alone, so a
  // "/" after a lead byte is always seen as a separator.
  if (in(at(1), 0x30, 0x39))
    return left >= 4 && in(at(2), 0x81, 0xFE) && in(at(3), 0x30, 0x39) ? 4 : 1;
  if (in(at(1), 0x40, 0x7E) || in(at(1), 0x80, 0xFE)) return 2;
  return 1;
}

}  // namespace platform
