// The rename workflow without windows: intake, new names, the single-song and manual rename.
#include "app/rename.h"

#include "platform/text.h"
#include "tags/source.h"
#include "tags/wma.h"

namespace app {

namespace {

// Byte index of the last character of `text` that satisfies `match`, stepping over
// multi-byte characters so that a second byte 0x5C is never taken for a backslash.
template <typename Match>
std::size_t findLastChar(const std::string& text, Match match) {
  std::size_t found = std::string::npos;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t len = platform::localCharLength(text, pos);
    if (len == 1 && match(text[pos])) found = pos;
    pos += len == 0 ? 1 : len;
  }
  return found;
}

std::size_t lastSeparator(const std::string& path) { return findLastChar(path, isPathSeparator); }

std::size_t lastDot(const std::string& text) {
  return findLastChar(text, [](char c) { return c == '.'; });
}

bool holdsSeparatorOrNul(const std::string& text) {
  return findLastChar(text, [](char c) { return c == '\\' || c == '/' || c == '\0'; }) !=
         std::string::npos;
}

// ASCII letters lower-cased; the bytes of multi-byte characters are left alone, since their
// second byte may fall in 'A'..'Z'.
std::string asciiLower(const std::string& text) {
  std::string out = text;
  std::size_t pos = 0;
  while (pos < out.size()) {
    const std::size_t len = platform::localCharLength(out, pos);
    if (len == 1 && out[pos] >= 'A' && out[pos] <= 'Z')
      out[pos] = static_cast<char>(out[pos] - 'A' + 'a');
    pos += len == 0 ? 1 : len;
  }
  return out;
}

std::string localText(const char* utf8) { return platform::utf8ToLocal(utf8); }

}  // namespace

// ---- paths -------------------------------------------------------------------------------

bool isPathSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

std::string songFolderOf(const std::string& path) {
  const std::size_t sep = lastSeparator(path);
  return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string fileNameOf(const std::string& path) {
  const std::size_t sep = lastSeparator(path);
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string baseName(const std::string& path) {
  const std::size_t sep = lastSeparator(path);
  const std::size_t start = sep == std::string::npos ? 0 : sep + 1;
  const std::size_t dot = lastDot(path);
  if (dot == std::string::npos || dot <= start) return std::string();
  return path.substr(start, dot - start);
}

const char* kindSuffix(tags::SongKind kind) {
  switch (kind) {
    case tags::SongKind::wma:
      return "wma";
    case tags::SongKind::ape:
      return "ape";
    case tags::SongKind::mp3:
      return "mp3";
    case tags::SongKind::ogg:
      return "ogg";
    case tags::SongKind::flac:
      return "flac";
    case tags::SongKind::unknown:
      break;
  }
  return "";
}

// ---- intake ------------------------------------------------------------------------------

std::string openDialogPaths(const char* buffer, std::size_t size) {
  // The text ends at the first pair of NULs (or at the end of the buffer).
  std::size_t end = 0;
  while (end < size && !(buffer[end] == '\0' && (end + 1 == size || buffer[end + 1] == '\0')))
    ++end;
  const std::string text(buffer, end);
  const std::size_t firstNul = text.find('\0');
  if (firstNul == std::string::npos) return text;  // one file, as a full path

  // A folder, then the names chosen in it. The dialog always writes Windows paths.
  std::string folder = text.substr(0, firstNul);
  if (folder.empty() || findLastChar(folder, [](char c) { return c == '\\'; }) != folder.size() - 1)
    folder += '\\';
  std::string out;
  std::size_t start = firstNul + 1;
  while (start < text.size()) {
    std::size_t stop = text.find('\0', start);
    if (stop == std::string::npos) stop = text.size();
    if (!out.empty()) out += "\r\n";
    out += folder + text.substr(start, stop - start);
    start = stop + 1;
  }
  return out;
}

std::vector<std::string> splitDeliveredPaths(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t stop = text.find("\r\n", start);
    if (stop == std::string::npos) {
      parts.push_back(text.substr(start));
      break;
    }
    parts.push_back(text.substr(start, stop - start));
    start = stop + 2;
  }
  return parts;
}

bool isAcceptedSong(const std::string& path) {
  return tags::songKindOf(path) != tags::SongKind::unknown;
}

Intake addPaths(const std::vector<std::string>& paths, SongInfoReader readInfo) {
  Intake intake;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    intake.lastExamined = paths[i];
    if (!isAcceptedSong(paths[i])) {
      intake.stopped = true;
      intake.rejectedIndex = i;
      break;
    }
    intake.rows.push_back({baseName(paths[i]), paths[i], readInfo(paths[i])});
  }
  return intake;
}

// ---- naming ------------------------------------------------------------------------------

std::string newSongName(const tags::SongInfo& info, tags::SongKind kind) {
  return info.title + "(" + info.artist + ")." + kindSuffix(kind);
}

bool isSingleFileName(const std::string& stem, const std::string& suffix) {
  if (stem.empty() || holdsSeparatorOrNul(stem) || holdsSeparatorOrNul(suffix)) return false;
  const std::string whole = stem + "." + suffix;
  return whole != "." && whole != "..";
}

bool staysInFolder(const std::string& folder, const std::string& newPath) {
  const std::string inside = platform::systemPath(folder);
  const std::string whole = platform::systemPath(newPath);
  if (whole.size() <= inside.size() || whole.compare(0, inside.size(), inside) != 0) return false;
  const std::string name = whole.substr(inside.size());
  return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos && name != "." &&
         name != "..";
}

// ---- the single-song rename --------------------------------------------------------------

bool isFailure(RenameStatus status) {
  switch (status) {
    case RenameStatus::rejected:
    case RenameStatus::unreadable:
    case RenameStatus::nameRefused:
    case RenameStatus::targetExists:
    case RenameStatus::moveFailed:
      return true;
    case RenameStatus::ready:
    case RenameStatus::renamed:
    case RenameStatus::unchanged:
    case RenameStatus::notASong:
    case RenameStatus::noTitle:
      break;
  }
  return false;
}

SongRename readSong(const std::string& path, bool withPicture) {
  SongRename song;
  song.info.pictureWanted = withPicture;
  song.kind = tags::songKindOf(path);
  if (song.kind == tags::SongKind::unknown) {
    song.status = RenameStatus::notASong;
    return song;
  }
  // What cannot be read, for whatever reason (memory included), is an unreadable song.
  try {
    if (song.kind == tags::SongKind::wma) {
      // A file the WMA reader does not take is passed over without a word, missing or not.
      song.status =
          tags::readWmaInfo(path, song.info) ? RenameStatus::ready : RenameStatus::rejected;
      return song;
    }
    tags::FileSource source(path);
    song.status = source.isOpen() && tags::readSongKind(song.kind, source, song.info)
                      ? RenameStatus::ready
                      : RenameStatus::unreadable;
  } catch (...) {
    song.status = RenameStatus::unreadable;
  }
  if (song.status == RenameStatus::unreadable) tags::resetSongInfo(song.info);
  return song;
}

void planRename(const std::string& path, const std::string& folder, SongRename& song) {
  if (song.status != RenameStatus::ready) return;
  if (song.info.title.empty()) {
    song.status = RenameStatus::noTitle;
    return;
  }
  const std::string stem = song.info.title + "(" + song.info.artist + ")";
  song.newName = newSongName(song.info, song.kind);
  song.newPath = folder + song.newName;
  if (!isSingleFileName(stem, kindSuffix(song.kind)) || !staysInFolder(folder, song.newPath))
    song.status = RenameStatus::nameRefused;
  else if (song.newPath == path)
    song.status = RenameStatus::unchanged;
}

void applyRename(const std::string& path, SongRename& song) {
  if (song.status != RenameStatus::ready) return;
  song.move = platform::moveFileNoReplace(path, song.newPath);
  switch (song.move) {
    case platform::MoveResult::moved:
      song.status = RenameStatus::renamed;
      break;
    case platform::MoveResult::targetExists:
      song.status = RenameStatus::targetExists;
      break;
    case platform::MoveResult::sourceMissing:
    case platform::MoveResult::invalidName:
    case platform::MoveResult::failed:
      song.status = RenameStatus::moveFailed;
      break;
  }
}

SongRename renameSong(const std::string& path, const std::string& folder) {
  SongRename song = readSong(path);
  planRename(path, folder, song);
  applyRename(path, song);
  return song;
}

SongRename renameRowSong(const std::string& rowPath, std::string& currentSongPath,
                         std::string& songFolder) {
  currentSongPath = rowPath;
  songFolder = songFolderOf(currentSongPath);
  return renameSong(currentSongPath, songFolder);
}

// ---- failures told to the user -----------------------------------------------------------

std::string moveFailureReason(platform::MoveResult result) {
  switch (result) {
    case platform::MoveResult::moved:
      return std::string();
    case platform::MoveResult::targetExists:
      return localText("已有同名文件");
    case platform::MoveResult::invalidName:
      return localText("名称含有不允许的字符");
    case platform::MoveResult::sourceMissing:
    case platform::MoveResult::failed:
      break;
  }
  return localText("文件被占用或已不存在");
}

std::string renameFailureReason(const SongRename& song) {
  switch (song.status) {
    case RenameStatus::nameRefused:
      return localText("名称含有不允许的字符");
    case RenameStatus::targetExists:
    case RenameStatus::moveFailed:
      return moveFailureReason(song.move);
    default:
      return std::string();
  }
}

std::string renameRunMessage(const std::vector<FailedRename>& failed) {
  constexpr std::size_t kNamed = 10;
  std::string text = localText("所有歌曲已处理完成");
  if (failed.empty()) return text;
  text +=
      "\r\n" + localText("有 ") + std::to_string(failed.size()) + localText(" 首歌曲未能改名：");
  for (std::size_t i = 0; i < failed.size() && i < kNamed; ++i)
    text += "\r\n" + fileNameOf(failed[i].path) + localText("：") + failed[i].reason;
  if (failed.size() > kNamed)
    text += "\r\n" + localText("另有 ") + std::to_string(failed.size() - kNamed) +
            localText(" 首未列出");
  return text;
}

// ---- the manual rename -------------------------------------------------------------------

ManualRename manualRename(const std::string& currentSongPath, const std::string& songFolder,
                          const std::string& typedName) {
  ManualRename result;
  result.log.push_back(localText("停止正在播放的歌曲\r\n"));
  result.log.push_back(localText("开始修改\r\n"));
  // The suffix comes from the file's own name: a dot in a folder's name is no suffix.
  const std::string name = fileNameOf(currentSongPath);
  const std::size_t dot = lastDot(name);
  const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  result.log.push_back(localText("原始文件名：") + currentSongPath + localText("→") + typedName +
                       "." + ext + "\r\n");
  const std::string suffix = asciiLower(ext);
  result.newPath = songFolder + typedName + "." + suffix;
  const platform::MoveResult move =
      isSingleFileName(typedName, suffix) && staysInFolder(songFolder, result.newPath)
          ? platform::moveFileNoReplace(currentSongPath, result.newPath)
          : platform::MoveResult::invalidName;
  if (move != platform::MoveResult::moved) {
    result.failureReason = moveFailureReason(move);
    result.log.push_back(localText("修改失败：") + result.failureReason + "\r\n");
    return result;
  }
  result.renamed = true;
  result.log.push_back(localText("修改成功！\r\n"));
  return result;
}

}  // namespace app
