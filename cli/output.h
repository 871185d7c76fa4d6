// Output helpers of the command line: local text reaches the terminal as UTF-8, and JSON
// strings are escaped as RFC 8259 requires.
#pragma once

#include <cstdio>
#include <string>

namespace cli {

// Prints local text as UTF-8.
void printLocal(std::FILE* out, const std::string& local);

// A JSON string literal (with its quotes) of text meant as UTF-8. Always valid UTF-8:
// bytes that are not UTF-8 (a path named in Latin-1) are shown as U+FFFD.
std::string jsonString(const std::string& text);

}  // namespace cli
