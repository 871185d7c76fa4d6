// The folder walk of the command line.
#include "cli/songs.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "app/rename.h"
#include "platform/text.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

std::string joinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// The songs of a folder in name order (byte order of the names); -r descends into folders,
// but never through a symbolic link, so a link back up cannot loop.
void collectFolder(const std::string& folder, bool recursive, std::vector<Song>& songs) {
  std::error_code ec;
  std::vector<std::string> names;
  for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  if (ec) {
    songs.push_back({folder, false, true});
    return;
  }
  std::sort(names.begin(), names.end());
  for (const auto& name : names) {
    const std::string path = joinPath(folder, name);
    const fs::file_status linkStatus = fs::symlink_status(fs::path(path), ec);
    if (fs::is_directory(linkStatus)) {
      if (recursive) collectFolder(path, recursive, songs);
    } else if (fs::is_regular_file(fs::status(fs::path(path), ec)) &&
               app::isAcceptedSong(platform::utf8PathToLocal(name))) {
      songs.push_back({path});
    }
  }
}

}  // namespace

std::vector<Song> collectSongs(const std::vector<std::string>& paths, bool recursive,
                               bool eachFileOnce) {
  std::vector<Song> songs;
  for (const auto& path : paths) {
    // One stat a path: scripts hand over thousands of songs, and the second look (is there
    // at least a link of that name?) is only needed for a name that leads nowhere.
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(path), ec);
    if (fs::is_directory(status)) {
      collectFolder(path, recursive, songs);
    } else {
      const bool missing = status.type() == fs::file_type::not_found &&
                           !fs::exists(fs::symlink_status(fs::path(path), ec));
      songs.push_back({path, missing});
    }
  }
  if (!eachFileOnce) return songs;
  // A second visit of a renamed song would find it gone: one visit per file, known by its
  // canonical path (a file that is not there is known by its spelling).
  std::set<std::string> seen;
  std::vector<Song> once;
  for (auto& song : songs) {
    std::error_code ec;
    const fs::path canonical = fs::canonical(fs::path(song.path), ec);
    if (seen.insert(ec ? song.path : canonical.string()).second) once.push_back(std::move(song));
  }
  return once;
}

}  // namespace cli
