// Local text: the one multi-byte encoding every text of the program is kept in.
// Windows: the ANSI code page (936 on the systems Lyrivane serves), used through the
// ...A functions. Linux: GB18030, which equals GBK for every GBK character and covers
// the rest of Unicode, so paths and tags survive the round trip through UTF-8.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// UTF-16 code units (native order) to local text. Characters the local encoding lacks
// become '?', as the platform's own conversion does.
std::string wideToLocal(const std::u16string& wide);

// Local text to UTF-16 code units. Bytes that are not valid local text become U+FFFD.
std::u16string localToWide(const std::string& local);

// The OS boundary: UTF-8 paths and terminal output in and out of local text.
std::string utf8ToLocal(const std::string& utf8);
std::string localToUtf8(const std::string& local);

// Length in bytes of the character that starts at byte `pos` of `text`: 1 for ASCII and
// stray bytes, 2 for a double-byte character, 4 for a GB18030 four-byte sequence.
// Never runs past the end of the text; 0 when pos is at or past the end.
std::size_t localCharLength(const std::string& text, std::size_t pos);

}  // namespace platform
