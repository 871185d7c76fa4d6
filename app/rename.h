// The rename workflow without windows: taking paths into the song list, naming a song
// Title(Artist).suffix from its tags, the single-song rename and the manual rename with its
// log. The Win32 shell and the command line both call these; nothing here shows a window.
//
// Paths are local text. On Windows a folder ends in '\\' (a '/' is taken as a separator
// too, as Win32 does); on Linux in '/'. Searches for separators step over double-byte
// characters, whose second byte may be 0x5C.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file.h"
#include "tags/song_info.h"

namespace app {

// ---- paths -------------------------------------------------------------------------------

// True for a path separator of this platform.
bool isPathSeparator(char c);

// The folder of a path, up to and including its last separator; empty when it has none.
std::string songFolderOf(const std::string& path);

// The file name of a path: what follows its last separator.
std::string fileNameOf(const std::string& path);

// The list's "歌曲名": the bytes between the path's last separator and its last ".".
// The dot is looked for in the whole path, so a dotless name in a dotted folder gives "".
std::string baseName(const std::string& path);

// The suffix written into new names for a kind: "wma", "ape", "mp3", "ogg" or "flac";
// "" for an unknown kind.
const char* kindSuffix(tags::SongKind kind);

// ---- intake ------------------------------------------------------------------------------

// Turns the file buffer that the explorer-style multi-select open dialog filled (after it
// returned true) into the delivered text: the chosen full paths joined by "\r\n". The buffer
// holds either one full path, or a folder and then the names chosen in it, each ended by a
// NUL, the whole ended by a second NUL. A folder already ending in "\\" (a drive's root) does
// not get a second one. Reads at most `size` bytes.
std::string openDialogPaths(const char* buffer, std::size_t size);

// Splits a delivered text (the dialog's result or a drop) at every "\r\n". An empty part
// between two separators counts; an empty part after the last one does not; "" gives none.
std::vector<std::string> splitDeliveredPaths(const std::string& text);

// True when the path's last letters name a kind of song the program reads.
bool isAcceptedSong(const std::string& path);

struct SongRow {
  std::string name;  // column "歌曲名"
  std::string path;  // column "歌曲路径"
  std::string info;  // column "歌曲信息": what readSongInfo returns
};

struct Intake {
  std::vector<SongRow> rows;      // the rows to append, in delivered order
  bool stopped = false;           // a path of another kind stopped the adding
  std::size_t rejectedIndex = 0;  // its index among the delivered paths, when stopped
  std::string lastExamined;       // what `currentSongPath` holds afterwards
};

// The rows that delivered paths add to the list: each path in turn becomes a row, until one
// that is not an accepted song. That path and every one after it are left out; the caller
// reports it ("不是有效的音频文件") in the box of its intake. Each added song's tags are
// read with `readInfo` (tags::readSongInfo in the program) while its row is made.
using SongInfoReader = std::string (*)(const std::string& path);
Intake addPaths(const std::vector<std::string>& paths,
                SongInfoReader readInfo = &tags::readSongInfo);

// ---- naming ------------------------------------------------------------------------------

// The new file name of a song: title + "(" + artist + ")." + suffix, the suffix in lower
// case. The artist is used as it is: an empty artist leaves the brackets empty.
std::string newSongName(const tags::SongInfo& info, tags::SongKind kind);

// True when stem + "." + suffix can only name a file inside the song's own folder: the stem
// is not empty, neither part holds '\\', '/' or a NUL byte, and the whole is not "." or "..".
// A title such as "..\\..\\x" would otherwise move the file out of its folder. Both
// separators are refused on both platforms, so a name is good everywhere or nowhere.
bool isSingleFileName(const std::string& stem, const std::string& suffix);

// True when `newPath`, in the form the system takes it (platform::systemPath), is one name
// directly inside `folder`: whatever bytes a title holds, the conversion of the path cannot
// make a separator, "." or ".." of them. A new name failing this is refused.
bool staysInFolder(const std::string& folder, const std::string& newPath);

// ---- the single-song rename --------------------------------------------------------------

enum class RenameStatus {
  ready,         // a plan: the song can be moved to newPath
  renamed,       // moved to newPath
  unchanged,     // the file already has its new name
  notASong,      // the path names no kind of song ("该歌曲不是有效的文件")
  rejected,      // the WMA reader did not take the file: skipped without a word
  unreadable,    // the file could not be opened (the window asks as for a missing title)
  noTitle,       // the tags give no title (the window asks whether to rename by hand)
  nameRefused,   // the new name is not a single file name
  targetExists,  // a file of the new name is already there: nothing replaced
  moveFailed,    // the move itself failed (folder not writable, file vanished...)
};

// True for the statuses in which a file was meant to be renamed and was not, or the song
// could not be read: the command line's failures.
bool isFailure(RenameStatus status);

struct SongRename {
  RenameStatus status = RenameStatus::notASong;
  tags::SongKind kind = tags::SongKind::unknown;
  tags::SongInfo info;  // what the reading sequence gave
  std::string newName;  // Title(Artist).suffix, once the tags gave a title
  std::string newPath;  // folder + newName
  platform::MoveResult move = platform::MoveResult::moved;  // what the move gave, once tried
};

// Reads a song by its kind's reading sequence (the same sequences as readSongInfo). Status:
// notASong, rejected (WMA only), unreadable (also when reading failed in any other way,
// running out of memory included; `info` is then empty), or ready with `info` filled. The
// cover's bytes are read only `withPicture`: a new name needs the texts alone.
SongRename readSong(const std::string& path, bool withPicture = false);

// Decides the new name of a read song (status ready): noTitle, nameRefused, unchanged, or
// ready with newName and newPath set inside `folder`. Touches no file.
void planRename(const std::string& path, const std::string& folder, SongRename& song);

// Performs a planned rename (status ready): renamed, targetExists or moveFailed. Never
// replaces an existing file.
void applyRename(const std::string& path, SongRename& song);

// The single-song rename: read, plan and move the song at `path` into `folder` (the song's
// own folder, with its separator). The window's run calls this for each row with
// `songFolder` = songFolderOf(`currentSongPath`).
SongRename renameSong(const std::string& path, const std::string& folder);

// One song of the window's rename run: `currentSongPath` becomes the row's path and
// `songFolder` that song's own folder (so songs added from several folders each stay in
// theirs, and the lyrics window renames into the right one), then the song is renamed.
SongRename renameRowSong(const std::string& rowPath, std::string& currentSongPath,
                         std::string& songFolder);

// ---- failures told to the user -----------------------------------------------------------

// Why a song that was to be renamed kept its name, in the few words the window shows (local
// text): "已有同名文件" for a taken name, "名称含有不允许的字符" for a name that is not one
// file name or that the file system refuses, "文件被占用或已不存在" for a song that is
// locked, gone, or could not be moved. "" for a song renamed or not meant to be.
std::string renameFailureReason(const SongRename& song);

// The same words for the result of a move.
std::string moveFailureReason(platform::MoveResult result);

struct FailedRename {
  std::string path;    // the song
  std::string reason;  // renameFailureReason
};

// The message that ends the window's rename run: "所有歌曲已处理完成", and when renames
// failed, how many and the file names of the first ten, each with its reason, one a line.
std::string renameRunMessage(const std::vector<FailedRename>& failed);

// ---- the manual rename -------------------------------------------------------------------

struct ManualRename {
  // The log, one entry per line, each ending in "\r\n", in local text: the lyrics window
  // empties its log box and appends these in order.
  std::vector<std::string> log;
  bool renamed = false;
  std::string newPath;        // the path the file was (or would have been) moved to
  std::string failureReason;  // moveFailureReason of a rename that failed, "" otherwise
};

// Renames the song at `currentSongPath` to `songFolder` + `typedName` + "." + its suffix,
// the suffix in lower case; the log repeats the suffix as the path writes it. The suffix is
// what follows the last "." of the file's own name. "修改成功！" is logged only when the
// file moved: a refused name, an existing target or a failed move leave the file as it is,
// and the log ends with "修改失败：" and the reason instead.
ManualRename manualRename(const std::string& currentSongPath, const std::string& songFolder,
                          const std::string& typedName);

}  // namespace app
