// Searches in local text that step over double-byte characters as units, so a marker never
// matches from the second byte of a GBK character (whose trail byte may be an ASCII letter,
// a quote or a bracket).
#pragma once

#include <cstddef>
#include <string>

namespace lookup {

// Position of the first occurrence of `needle` in `text` at or after byte `from`, or
// std::string::npos. `from` must be the start of a character. An empty needle is found at
// `from` when text has a character there. With `ignoreCase`, ASCII letters that stand as
// characters of their own match either case; bytes inside double-byte characters always
// match exactly.
std::size_t findLocal(const std::string& text, const std::string& needle, std::size_t from = 0,
                      bool ignoreCase = false);

inline bool containsLocal(const std::string& text, const std::string& needle,
                          bool ignoreCase = false) {
  return findLocal(text, needle, 0, ignoreCase) != std::string::npos;
}

// ASCII letters of the text in lower case; double-byte characters untouched.
std::string lowerAscii(const std::string& text);

}  // namespace lookup
