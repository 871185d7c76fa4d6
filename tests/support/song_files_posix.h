// Helpers for Linux tests on real songs: Debian's interpreter (the one with mutagen), the
// command line's JSON read back, and "key=value" lines printed by helper scripts.
#pragma once

#include <map>
#include <string>

namespace testing_support {

// Debian's interpreter carries python3-mutagen; a python3 earlier on PATH may not.
constexpr char kDebianPython[] = "/usr/bin/python3";

// `lyrivane info --json PATH` for one UTF-8 path; the exit code must be 0.
std::string infoJson(const std::string& pathUtf8);

// The value of "key" in the first record of that JSON: a string with its escapes undone,
// or a bare number as written; "<no key>" when the key is missing.
std::string jsonField(const std::string& json, const std::string& key);

// "key=value" lines as a map.
std::map<std::string, std::string> keyValues(const std::string& lines);

}  // namespace testing_support
