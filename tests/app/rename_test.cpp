// The rename workflow without windows: intake, new names, the single-song and manual rename.
// Runs natively and under Wine: paths are built with this platform's separator, while the
// open dialog's buffer is always Windows-shaped.
#include "app/rename.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file.h"
#include "platform/text.h"
#include "tests/support/byte_builder.h"
#include "tests/support/temp_dir.h"

namespace app {
// Statuses by name in failure messages.
void PrintTo(RenameStatus status, std::ostream* os) {
  static const char* const names[] = {"ready",        "renamed",    "unchanged", "notASong",
                                      "rejected",     "unreadable", "noTitle",   "nameRefused",
                                      "targetExists", "moveFailed"};
  *os << names[static_cast<int>(status)];
}
}  // namespace app

namespace {

using app::RenameStatus;
using testing_support::TempDir;

// A path written with '/' in this platform's spelling.
std::string native(std::string path) {
  for (char& c : path)
    if (c == '/') c = platform::kPathSeparator;
  return path;
}

std::string L(const char* utf8) { return platform::utf8ToLocal(utf8); }

// "乗" in GBK and GB18030: its second byte is 0x5C, a backslash when read byte by byte.
const std::string kTrailBackslash = "\x81\x5C";

TEST(OpenDialogPaths, OneFileOrAFolderAndItsNames) {
  const struct {
    std::string buffer;
    std::string paths;
  } cases[] = {
      // One file: the buffer holds its full path.
      {std::string("D:\\music\\a.mp3\0\0", 16), "D:\\music\\a.mp3"},
      // Several: the folder, then the names in the dialog's order.
      {std::string("D:\\music\0c.mp3\0a.mp3\0b.flac\0\0", 30),
       "D:\\music\\c.mp3\r\nD:\\music\\a.mp3\r\nD:\\music\\b.flac"},
      // A drive's root already ends in "\\".
      {std::string("C:\\\0a.mp3\0b.mp3\0\0", 17), "C:\\a.mp3\r\nC:\\b.mp3"},
      // A folder ending in a character whose second byte is 0x5C still needs its "\\".
      {"D:\\" + kTrailBackslash + std::string("\0a.mp3\0\0", 8),
       "D:\\" + kTrailBackslash + "\\a.mp3"},
      // Nothing chosen.
      {std::string("\0\0", 2), ""},
      // The text ends at the first pair of NULs; what follows is old buffer content.
      {std::string("D:\\x\0a.ogg\0\0stale\0\0", 20), "D:\\x\\a.ogg"},
  };
  for (const auto& c : cases) {
    // The rest of a real buffer is zeros.
    std::string buffer = c.buffer + std::string(64, '\0');
    EXPECT_EQ(app::openDialogPaths(buffer.data(), buffer.size()), c.paths) << c.paths;
  }
  // A buffer filled to its end without the closing pair is read up to its size only.
  const std::string full = std::string("D:\\m\0a.mp3\0b.mp3", 17);
  EXPECT_EQ(app::openDialogPaths(full.data(), full.size()), "D:\\m\\a.mp3\r\nD:\\m\\b.mp3");
  EXPECT_EQ(app::openDialogPaths(full.data(), 4), "D:\\m");
}

TEST(SplitDeliveredPaths, SplitsAtEveryLineBreak) {
  const struct {
    const char* text;
    std::vector<std::string> parts;
  } cases[] = {
      {"", {}},
      {"a.mp3", {"a.mp3"}},
      {"a.mp3\r\nb.mp3", {"a.mp3", "b.mp3"}},
      {"a.mp3\r\n", {"a.mp3"}},                        // nothing after the last separator
      {"a.mp3\r\n\r\nb.mp3", {"a.mp3", "", "b.mp3"}},  // an empty part between counts
      {"\r\n", {""}},
      {"a\nb.mp3\r\nc", {"a\nb.mp3", "c"}},  // only the pair separates
  };
  for (const auto& c : cases) EXPECT_EQ(app::splitDeliveredPaths(c.text), c.parts) << c.text;
}

TEST(SongPaths, BaseNameFolderAndFileName) {
  const struct {
    std::string path;
    std::string base;
    std::string folder;
    std::string file;
  } cases[] = {
      {native("/music/a.mp3"), "a", native("/music/"), "a.mp3"},
      {native("/music/a.b.FLAC"), "a.b", native("/music/"), "a.b.FLAC"},
      // A dotless name in a dotted folder has no base name, and no dot is needed.
      {native("/a.b/songmp3"), "", native("/a.b/"), "songmp3"},
      {native("/music/.mp3"), "", native("/music/"), ".mp3"},
      {native("/music/xmp3"), "", native("/music/"), "xmp3"},
      {"a.mp3", "a", "", "a.mp3"},
      {native("/"), "", native("/"), ""},
      {"", "", "", ""},
      // A second byte 0x5C is part of its character, never a separator.
      {native("/m/") + kTrailBackslash + "x.ogg", kTrailBackslash + "x", native("/m/"),
       kTrailBackslash + "x.ogg"},
      {native("/") + L("周杰伦") + native("/") + L("青花瓷.mp3"), L("青花瓷"),
       native("/") + L("周杰伦") + native("/"), L("青花瓷.mp3")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(app::baseName(c.path), c.base) << c.path;
    EXPECT_EQ(app::songFolderOf(c.path), c.folder) << c.path;
    EXPECT_EQ(app::fileNameOf(c.path), c.file) << c.path;
  }
#ifdef _WIN32
  // Win32 takes either separator.
  EXPECT_EQ(app::songFolderOf("D:\\m/x.mp3"), "D:\\m/");
  EXPECT_EQ(app::baseName("D:/m\\x.mp3"), "x");
#else
  // On Linux a backslash is an ordinary character of a name.
  EXPECT_EQ(app::songFolderOf("/m/a\\b.mp3"), "/m/");
  EXPECT_EQ(app::baseName("/m/a\\b.mp3"), "a\\b");
#endif
}

int readCount = 0;
std::string fakeInfo(const std::string& path) {
  ++readCount;
  return "info of " + path;
}

TEST(AddPaths, AddsUntilAPathOfAnotherKind) {
  readCount = 0;
  const app::Intake stopped =
      app::addPaths({native("/m/a.mp3"), native("/m/b.txt"), native("/m/c.mp3")}, fakeInfo);
  ASSERT_EQ(stopped.rows.size(), 1u);
  EXPECT_EQ(stopped.rows[0].name, "a");
  EXPECT_EQ(stopped.rows[0].path, native("/m/a.mp3"));
  EXPECT_EQ(stopped.rows[0].info, "info of " + native("/m/a.mp3"));
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.rejectedIndex, 1u);
  EXPECT_EQ(stopped.lastExamined, native("/m/b.txt"));
  EXPECT_EQ(readCount, 1);  // the rejected path and those after it are never read

  const app::Intake all =
      app::addPaths({native("/m/A.FLAC"), native("/a.b/xmp3"), native("/m/c.Wma")}, fakeInfo);
  EXPECT_FALSE(all.stopped);
  ASSERT_EQ(all.rows.size(), 3u);
  EXPECT_EQ(all.rows[0].name, "A");
  EXPECT_EQ(all.rows[1].name, "");
  EXPECT_EQ(all.lastExamined, native("/m/c.Wma"));

  // An empty part of the delivered text stops the adding like any other path.
  const app::Intake gap = app::addPaths(app::splitDeliveredPaths("a.mp3\r\n\r\nb.mp3"), fakeInfo);
  EXPECT_EQ(gap.rows.size(), 1u);
  EXPECT_TRUE(gap.stopped);
  EXPECT_EQ(gap.rejectedIndex, 1u);

  EXPECT_TRUE(app::addPaths({}, fakeInfo).rows.empty());
  // The program's own reader: an untagged missing song still becomes a row.
  const app::Intake real = app::addPaths({native("/no/such/song.ogg")});
  ASSERT_EQ(real.rows.size(), 1u);
  EXPECT_EQ(real.rows[0].info, " - ");
}

tags::SongInfo song(const std::string& title, const std::string& artist) {
  tags::SongInfo info;
  info.title = title;
  info.artist = artist;
  return info;
}

TEST(NewSongName, TitleArtistInBracketsAndTheLowerCaseSuffix) {
  const struct {
    const char* path;
    std::string title;
    std::string artist;
    std::string name;
  } cases[] = {
      {"x.MP3", "T", "A", "T(A).mp3"},
      {"x.Flac", "T", "A", "T(A).flac"},
      {"x.ogg", "T", "", "T().ogg"},
      {"x.wma", "Bohemian Rhapsody", "Queen", "Bohemian Rhapsody(Queen).wma"},
      {"xAPE", L("茉莉花"), L("宋祖英"), L("茉莉花(宋祖英).ape")},
  };
  for (const auto& c : cases)
    EXPECT_EQ(app::newSongName(song(c.title, c.artist), tags::songKindOf(c.path)), c.name)
        << c.path;
}

TEST(IsSingleFileName, RefusesAnythingThatIsNotOneNameInTheFolder) {
  const struct {
    std::string stem;
    std::string suffix;
    bool single;
  } cases[] = {
      {"T(A)", "mp3", true},
      {L("青花瓷(周杰伦)"), "mp3", true},
      {kTrailBackslash + "(A)", "ogg", true},  // 0x5C inside a character is no separator
      {"..(A)", "mp3", true},
      {"..", "mp3", true},     // "...mp3" is an ordinary name
      {"T?(A)", "mp3", true},  // the file system may refuse it; the move then fails
      {"", "mp3", false},
      {"..\\..\\x(A)", "mp3", false},
      {"../../x(A)", "mp3", false},
      {"AC/DC", "mp3", false},
      {"a\\b", "mp3", false},
      {"T", "m/p3", false},
      {std::string("T\0/x", 4), "mp3", false},
      {".", "", false},  // the whole would be ".."
      {"", "", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(app::isSingleFileName(c.stem, c.suffix), c.single) << c.stem << "." << c.suffix;
}

TEST(StaysInFolder, TheNewPathAsTheSystemTakesItIsOneNameInTheSongsFolder) {
  const std::string folder = native(L("/music/歌曲/"));
  const struct {
    std::string path;
    bool stays;
  } cases[] = {
      {folder + "T(A).mp3", true},
      {folder + kTrailBackslash + "(A).mp3", true},
      {folder + "sub" + platform::kPathSeparator + "x(A).mp3", false},
      {folder + "a/b(A).mp3", false},  // refused on both systems, like a title holding "/"
      {folder + "a\\b(A).mp3", false},
      {folder + "\x81\x30/x(A).mp3", false},  // a lead byte, a digit and a hidden "/"
      {folder + "..", false},
      {folder, false},
      {native(L("/music/other/T(A).mp3")), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(app::staysInFolder(folder, c.path), c.stays) << testing::PrintToString(c.path);
}

TEST(ReadSong, StatusesOfFilesThatGiveNoName) {
  TempDir dir;
  EXPECT_EQ(app::readSong(dir.write("notes.txt", "x")).status, RenameStatus::notASong);
  EXPECT_EQ(app::readSong(dir.path() + "missing.mp3").status, RenameStatus::unreadable);
  EXPECT_EQ(app::readSong(dir.path() + "missing.flac").status, RenameStatus::unreadable);
  // A file the WMA reader does not take is passed over, missing or not an ASF file.
  EXPECT_EQ(app::readSong(dir.write("noise.wma", std::string(200, 'x'))).status,
            RenameStatus::rejected);
  EXPECT_EQ(app::readSong(dir.path() + "missing.wma").status, RenameStatus::rejected);

  const std::string untagged = dir.write("untagged.mp3", std::string(4000, '\0'));
  app::SongRename r = app::renameSong(untagged, dir.path());
  EXPECT_EQ(r.status, RenameStatus::noTitle);
  EXPECT_EQ(r.kind, tags::SongKind::mp3);
  EXPECT_EQ(TempDir::read(untagged), std::string(4000, '\0'));
}

// A song read with the given tags, planned into `folder` and moved.
app::SongRename renameAs(const std::string& path, const std::string& folder,
                         const tags::SongInfo& info) {
  app::SongRename r;
  r.status = RenameStatus::ready;
  r.kind = tags::songKindOf(path);
  r.info = info;
  app::planRename(path, folder, r);
  app::applyRename(path, r);
  return r;
}

TEST(RenameSong, MovesWithinItsFolderKeepingTheBytes) {
  TempDir dir;
  const std::string path = dir.write("track01.MP3", "song bytes");
  const auto r = renameAs(path, app::songFolderOf(path), song(L("青花瓷"), L("周杰伦")));
  EXPECT_EQ(r.status, RenameStatus::renamed);
  EXPECT_EQ(r.newPath, dir.path() + L("青花瓷(周杰伦).mp3"));
  EXPECT_FALSE(platform::fileExists(path));
  EXPECT_EQ(TempDir::read(r.newPath), "song bytes");
}

TEST(RenameSong, SameTitleAndArtistTwiceRenamesOnlyTheFirst) {
  TempDir dir;
  const std::string first = dir.write("a.ogg", "first");
  const std::string second = dir.write("b.ogg", "second");
  EXPECT_EQ(renameAs(first, dir.path(), song("T", "A")).status, RenameStatus::renamed);
  const auto r = renameAs(second, dir.path(), song("T", "A"));
  EXPECT_EQ(r.status, RenameStatus::targetExists);
  EXPECT_EQ(TempDir::read(dir.path() + "T(A).ogg"), "first");
  EXPECT_EQ(TempDir::read(second), "second");
}

TEST(RenameSong, ANameThatIsNotOneFileNameLeavesTheFileAlone) {
  TempDir dir;
  const std::string path = dir.write("a.mp3", "bytes");
  for (const auto& info : {song("..\\..\\x", "A"), song("../x", "A"), song("T", "AC/DC")}) {
    const auto r = renameAs(path, dir.path(), info);
    EXPECT_EQ(r.status, RenameStatus::nameRefused) << info.title << info.artist;
  }
  EXPECT_EQ(TempDir::read(path), "bytes");
  EXPECT_FALSE(platform::fileExists(dir.path() + native("../x(A).mp3")));
}

TEST(RenameSong, ASongThatHasItsNameIsUnchanged) {
  TempDir dir;
  const std::string path = dir.write("T(A).mp3", "bytes");
  EXPECT_EQ(renameAs(path, dir.path(), song("T", "A")).status, RenameStatus::unchanged);
  EXPECT_EQ(TempDir::read(path), "bytes");
}

TEST(RenameSong, EachSongOfTheRunStaysInItsOwnFolder) {
  TempDir one;
  TempDir two;
  const std::string a = one.write("a.mp3", "a");
  const std::string b = two.write("b.mp3", "b");
  std::string currentSongPath;
  std::string songFolder;
  app::renameRowSong(a, currentSongPath, songFolder);
  EXPECT_EQ(currentSongPath, a);
  EXPECT_EQ(songFolder, one.path());
  app::renameRowSong(b, currentSongPath, songFolder);
  EXPECT_EQ(currentSongPath, b);
  EXPECT_EQ(songFolder, two.path());
  // The folder the run hands on is where the new name goes.
  const auto r = renameAs(a, app::songFolderOf(a), song("T", "A"));
  EXPECT_EQ(r.status, RenameStatus::renamed);
  EXPECT_EQ(TempDir::read(one.path() + "T(A).mp3"), "a");
  EXPECT_FALSE(platform::fileExists(two.path() + "T(A).mp3"));
}

// An MP3 file with only an ID3v1 tag, as old players wrote them (local text, 30 bytes).
std::string id3v1Song(const std::string& title, const std::string& artist) {
  auto field = [](const std::string& text) {
    return text.substr(0, 30) + std::string(30 - std::min<std::size_t>(30, text.size()), '\0');
  };
  testing_support::ByteBuilder b;
  b.fill(2000, 0).raw("TAG").raw(field(title)).raw(field(artist)).raw(field("")).raw("2008");
  b.raw(field("")).u8(13);
  return b.str();
}

TEST(RenameSong, ReadsTheTagsAndRenamesEndToEnd) {
  TempDir dir;
  const std::string bytes = id3v1Song(L("月亮代表我的心"), L("邓丽君"));
  const std::string path = dir.write("01-unknown.MP3", bytes);
  std::string currentSongPath;
  std::string songFolder;
  const auto r = app::renameRowSong(path, currentSongPath, songFolder);
  EXPECT_EQ(r.status, RenameStatus::renamed);
  EXPECT_TRUE(TempDir::read(dir.path() + L("月亮代表我的心(邓丽君).mp3")) == bytes);
  EXPECT_FALSE(platform::fileExists(path));
}

TEST(ManualRename, LogsAndRenamesWithTheSuffixLowerCased) {
  TempDir dir;
  const std::string path = dir.write("Track.Mp3", "bytes");
  const auto r = app::manualRename(path, dir.path(), L("新歌"));
  const std::vector<std::string> log = {L("停止正在播放的歌曲\r\n"), L("开始修改\r\n"),
                                        L("原始文件名：") + path + L("→新歌.Mp3\r\n"),
                                        L("修改成功！\r\n")};
  EXPECT_EQ(r.log, log);
  EXPECT_TRUE(r.renamed);
  EXPECT_EQ(r.newPath, dir.path() + L("新歌.mp3"));
  EXPECT_EQ(TempDir::read(r.newPath), "bytes");
}

TEST(ManualRename, AFailureLineWithItsReasonWhenTheFileKeepsItsName) {
  TempDir dir;
  const std::string path = dir.write("a.mp3", "a");
  dir.write("taken.mp3", "taken");
  const std::string illegal = L("名称含有不允许的字符");
  const std::pair<std::string, std::string> cases[] = {{"", illegal},
                                                       {"taken", L("已有同名文件")},
                                                       {"..\\x", illegal},
                                                       {"../x", illegal},
                                                       {"sub/x", illegal}};
  for (const auto& [typed, reason] : cases) {
    const auto r = app::manualRename(path, dir.path(), typed);
    EXPECT_FALSE(r.renamed) << typed;
    ASSERT_EQ(r.log.size(), 4u) << typed;
    EXPECT_EQ(r.log[2], L("原始文件名：") + path + L("→") + typed + ".mp3\r\n");
    EXPECT_EQ(r.log[3], L("修改失败：") + reason + "\r\n") << typed;
    EXPECT_EQ(r.failureReason, reason) << typed;
  }
  EXPECT_EQ(TempDir::read(path), "a");
  EXPECT_EQ(TempDir::read(dir.path() + "taken.mp3"), "taken");
  EXPECT_FALSE(platform::fileExists(dir.path() + native("../x.mp3")));
}

TEST(ManualRename, TheSuffixComesFromTheFileNameAlone) {
  TempDir dir;
  const std::string path = dir.write("a.M" + std::string("\xB0\x41"), "bytes");  // "a.M癆"
  // Only ASCII letters are lower-cased: 0x41 here is the second byte of 癆.
  const auto r = app::manualRename(path, dir.path(), "b");
  EXPECT_TRUE(r.renamed);
  EXPECT_EQ(r.newPath, dir.path() + "b.m\xB0\x41");
  EXPECT_EQ(TempDir::read(r.newPath), "bytes");
  // A dot in the folder's name is no suffix: the file stays in its folder.
  EXPECT_EQ(app::manualRename(native("/a.b/songmp3"), native("/a.b/"), "x").newPath,
            native("/a.b/x."));
}

TEST(RenameRunMessage, NamesUpToTenFailedSongsWithTheirReasons) {
  const std::string done = L("所有歌曲已处理完成");
  EXPECT_EQ(app::renameRunMessage({}), done);
  EXPECT_EQ(
      app::renameRunMessage({{native("/m/b.mp3"), L("已有同名文件")},
                             {native("/m/") + L("歌.wma"), L("名称含有不允许的字符")}}),
      done + L("\r\n有 2 首歌曲未能改名：\r\nb.mp3：已有同名文件\r\n歌.wma：名称含有不允许的字符"));
  std::vector<app::FailedRename> twelve;
  for (char c = 'a'; c < 'a' + 12; ++c) twelve.push_back({native("/m/") + c + ".ogg", "r"});
  const std::string text = app::renameRunMessage(twelve);
  EXPECT_EQ(text.substr(0, text.find("a.ogg")), done + L("\r\n有 12 首歌曲未能改名：\r\n"));
  EXPECT_NE(text.find(L("j.ogg：r\r\n另有 2 首未列出")), std::string::npos) << "ten named";
  EXPECT_EQ(text.find("k.ogg"), std::string::npos);
}

TEST(RenameFailureReason, ByStatusAndMoveResult) {
  app::SongRename song;
  song.status = RenameStatus::nameRefused;
  EXPECT_EQ(app::renameFailureReason(song), L("名称含有不允许的字符"));
  song.status = RenameStatus::targetExists;
  song.move = platform::MoveResult::targetExists;
  EXPECT_EQ(app::renameFailureReason(song), L("已有同名文件"));
  song.status = RenameStatus::moveFailed;
  song.move = platform::MoveResult::invalidName;
  EXPECT_EQ(app::renameFailureReason(song), L("名称含有不允许的字符"));
  for (const auto move : {platform::MoveResult::sourceMissing, platform::MoveResult::failed}) {
    song.move = move;
    EXPECT_EQ(app::renameFailureReason(song), L("文件被占用或已不存在"));
  }
  for (const auto status : {RenameStatus::renamed, RenameStatus::noTitle, RenameStatus::rejected}) {
    song.status = status;
    EXPECT_EQ(app::renameFailureReason(song), "");
  }
}

}  // namespace
