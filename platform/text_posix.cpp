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

std::string utf8ToLocal(const std::string& utf8) {
  if (isAscii(utf8)) return utf8;
  return wideToLocal(decodeUtf8(utf8));
}

std::string localToUtf8(const std::string& local) {
  if (isAscii(local)) return local;
  return fromLocal().run(local, [](std::string& out) { out += "\xEF\xBF\xBD"; });
}

std::size_t localCharLength(const std::string& text, std::size_t pos) {
  const std::size_t left = pos < text.size() ? text.size() - pos : 0;
  if (left == 0) return 0;
  const auto b0 = static_cast<unsigned char>(text[pos]);
  if (b0 < 0x81 || b0 == 0xFF || left < 2) return 1;
  const auto b1 = static_cast<unsigned char>(text[pos + 1]);
  // GB18030: lead 81-FE; a digit second byte starts a four-byte sequence.
  if (b1 >= 0x30 && b1 <= 0x39) {
    if (left < 4) return left;
    return 4;
  }
  if ((b1 >= 0x40 && b1 <= 0x7E) || (b1 >= 0x80 && b1 <= 0xFE)) return 2;
  return 1;
}

}  // namespace platform
