// Output helpers of the command line: local text reaches the terminal as UTF-8, and JSON
// strings are escaped as RFC 8259 requires.
#pragma once

#include <cstdio>
#include <string>

namespace cli {

// Prints local text as UTF-8.
void printLocal(std::FILE* out, const std::string& local);

// A JSON string literal (with its quotes) of UTF-8 text.
std::string jsonString(const std::string& utf8);

}  // namespace cli
