// Searches in local text, character by character.
#include "lookup/text_search.h"

#include "platform/text.h"

namespace lookup {

namespace {

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `needle` matches `text` at `at`, character for character: each character of the
// needle must meet a character of the same length there.
bool matchesAt(const std::string& text, std::size_t at, const std::string& needle,
               bool ignoreCase) {
  if (needle.size() > text.size() - at) return false;
  std::size_t j = 0;
  while (j < needle.size()) {
    const std::size_t len = platform::localCharLength(needle, j);
    if (platform::localCharLength(text, at + j) != len) return false;
    if (len == 1) {
      const char a = text[at + j];
      const char b = needle[j];
      if (ignoreCase ? foldAscii(a) != foldAscii(b) : a != b) return false;
    } else if (text.compare(at + j, len, needle, j, len) != 0) {
      return false;
    }
    j += len;
  }
  return true;
}

}  // namespace

std::size_t findLocal(const std::string& text, const std::string& needle, std::size_t from,
                      bool ignoreCase) {
  for (std::size_t i = from; i < text.size(); i += platform::localCharLength(text, i))
    if (matchesAt(text, i, needle, ignoreCase)) return i;
  return std::string::npos;
}

std::string lowerAscii(const std::string& text) {
  std::string out = text;
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t len = platform::localCharLength(out, i);
    if (len == 1) out[i] = foldAscii(out[i]);
    i += len;
  }
  return out;
}

}  // namespace lookup
