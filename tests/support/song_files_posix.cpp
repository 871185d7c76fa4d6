// Helpers for Linux tests on real songs.
#include "tests/support/song_files_posix.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/process_posix.h"

namespace testing_support {

std::string infoJson(const std::string& pathUtf8) {
  const auto r = runCommand(shellQuote(lyrivaneBinary()) + " info --json " + shellQuote(pathUtf8));
  EXPECT_EQ(r.exitCode, 0) << pathUtf8;
  return r.out;
}

std::string jsonField(const std::string& json, const std::string& key) {
  const std::string marker = "\"" + key + "\": ";
  const std::size_t at = json.find(marker);
  if (at == std::string::npos) return "<no " + key + ">";
  std::size_t i = at + marker.size();
  if (i < json.size() && json[i] != '"')
    return json.substr(i, json.find_first_of(",}", i) - i);  // a number
  std::string out;
  for (++i; i < json.size() && json[i] != '"'; ++i) {
    if (json[i] != '\\' || i + 1 >= json.size()) {
      out += json[i];
      continue;
    }
    const char e = json[++i];
    if (e == 'n') {
      out += '\n';
    } else if (e == 'r') {
      out += '\r';
    } else if (e == 't') {
      out += '\t';
    } else if (e == 'u' && i + 4 < json.size()) {
      out += static_cast<char>(std::stoi(json.substr(i + 1, 4), nullptr, 16));  // controls only
      i += 4;
    } else {
      out += e;
    }
  }
  return out;
}

std::map<std::string, std::string> keyValues(const std::string& lines) {
  std::map<std::string, std::string> values;
  std::istringstream in(lines);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

}  // namespace testing_support
