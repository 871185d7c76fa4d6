// Reading the command line: join, split at "/", compare the last part.
#include "app/command_line.h"

#include "app/text_parts.h"

namespace app {

StartMode startModeFor(const std::vector<std::string>& arguments) {
  std::string joined;
  for (const std::string& argument : arguments) joined += argument;
  const std::vector<std::string> parts = splitParts(joined, "/");
  if (parts.empty()) return StartMode::normal;
  const std::string& last = parts.back();
  if (last == "-lrc") return StartMode::lyricsOnly;
  if (last == "-h") return StartMode::help;
  return StartMode::normal;
}

}  // namespace app
