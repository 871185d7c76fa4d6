// Output helpers of the command line.
#include "cli/output.h"

#include "platform/text.h"
#include "platform/utf.h"

namespace cli {

void printLocal(std::FILE* out, const std::string& local) {
  const std::string utf8 = platform::localToUtf8(local);
  std::fwrite(utf8.data(), 1, utf8.size(), out);
}

std::string jsonString(const std::string& text) {
  // JSON is UTF-8 (RFC 8259, section 8.1): a path's bytes that are not become U+FFFD.
  const std::string utf8 = platform::encodeUtf8(platform::decodeUtf8(text));
  std::string out = "\"";
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (b < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", b);
          out += buf;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace cli
