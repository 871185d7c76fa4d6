// UTF-8 and UTF-16 conversions that need no operating system, shared by both platforms.
#pragma once

#include <string>

namespace platform {

// Decodes UTF-8 into UTF-16 code units. An invalid or truncated sequence becomes U+FFFD,
// one per maximal bad subpart, as the Unicode standard recommends and Windows does.
std::u16string decodeUtf8(const std::string& utf8);

// Decodes the UTF-8 sequence at byte `pos` (< size): true with its code point, or false
// with cp U+FFFD; `length` is the bytes of the sequence, or of its maximal bad subpart.
bool decodeUtf8At(const std::string& utf8, std::size_t pos, char32_t& cp, std::size_t& length);

// Encodes UTF-16 into UTF-8. An unpaired surrogate becomes U+FFFD.
std::string encodeUtf8(const std::u16string& wide);

}  // namespace platform
