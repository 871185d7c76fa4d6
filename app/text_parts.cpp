// Splitting local text at a separator, stepping over double-byte characters as units.
#include "app/text_parts.h"

#include "platform/text.h"

namespace app {

std::vector<std::string> splitParts(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  if (separator.empty()) {
    if (!text.empty()) parts.push_back(text);
    return parts;
  }
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text.compare(pos, separator.size(), separator) == 0) {
      parts.push_back(text.substr(start, pos - start));
      pos += separator.size();
      start = pos;
      continue;
    }
    pos += platform::localCharLength(text, pos);
  }
  if (start < text.size()) parts.push_back(text.substr(start));
  return parts;
}

}  // namespace app
