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

// UTF-16 to local text only when every character has a local form of its own: false when
// the local text could hold the text only with substitutes ('?', or a look-alike that may
// name another file). `local` then holds the text with its substitutes, for messages.
bool wideToLocalExact(const std::u16string& wide, std::string& local);

// Local text to UTF-16 code units. Bytes that are not valid local text become U+FFFD.
std::u16string localToWide(const std::string& local);

// The OS boundary: UTF-8 text and terminal output in and out of local text.
std::string utf8ToLocal(const std::string& utf8);
std::string localToUtf8(const std::string& local);

// Paths at the Linux boundary. A path there is bytes, and a folder named in Latin-1 is not
// UTF-8: utf8PathToLocal keeps each byte that is not UTF-8 in local text (never as a "/"),
// and localPathToUtf8 gives it back, so such a path is opened and renamed as it is. Other
// characters convert as above. On Windows these are utf8ToLocal and localToUtf8.
std::string utf8PathToLocal(const std::string& utf8);
std::string localPathToUtf8(const std::string& local);

// Length in bytes of the character that starts at byte `pos` of `text`: 2 for a valid
// double-byte character, 4 for a valid GB18030 four-byte sequence, 1 for anything else
// (ASCII, stray bytes, a lead byte without a valid rest).
// Never runs past the end of the text; 0 when pos is at or past the end.
std::size_t localCharLength(const std::string& text, std::size_t pos);

}  // namespace platform
