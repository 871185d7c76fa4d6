// The benchmark's peer: reads each path with TagLib and prints the same line as
// `lyrivane info`: PATH, a tab, title - artist (UTF-8).
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    // Tags only: the audio properties are not part of the line.
    TagLib::FileRef file(argv[i], false);
    line = argv[i];
    line += '\t';
    if (!file.isNull() && file.tag()) {
      line += file.tag()->title().to8Bit(true);
      line += " - ";
      line += file.tag()->artist().to8Bit(true);
    } else {
      line += " - ";
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return 0;
}
