// Output helpers of the command line.
#include "cli/output.h"

#include "platform/text.h"

namespace cli {

void printLocal(std::FILE* out, const std::string& local) {
  const std::string utf8 = platform::localToUtf8(local);
  std::fwrite(utf8.data(), 1, utf8.size(), out);
}

std::string jsonString(const std::string& utf8) {
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
