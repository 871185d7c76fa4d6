// The songs a command works on: each PATH named on the command line is a song, or a folder
// whose songs are taken in name order (with -r, those of the folders inside too).
#pragma once

#include <string>
#include <vector>

namespace cli {

// One song to visit, as the user wrote it or the folder walk found it: bytes, as the
// system gives them (UTF-8, or whatever else a name was written in).
struct Song {
  std::string path;
  bool missing = false;   // named on the command line but not there
  bool unlisted = false;  // a folder whose songs could not be listed
};

// Every song of `paths`, listed before any is touched, so a renamed song is never met
// again. A folder gives only its songs (files whose suffix names a kind); a file named on
// the command line is taken whatever it is. With `eachFileOnce` a file reached twice (named
// and also in a named folder, or by two spellings) is taken the first time only.
std::vector<Song> collectSongs(const std::vector<std::string>& paths, bool recursive,
                               bool eachFileOnce);

}  // namespace cli
