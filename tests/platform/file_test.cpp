// Files: reading, sizes, and the move that never replaces an existing file.
#include "platform/file.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::TempDir;

TEST(ReadOnlyFile, ReadsAtOffsetsAndStopsAtTheEnd) {
  TempDir dir;
  const std::string path = dir.write("a.bin", "0123456789");
  platform::ReadOnlyFile f(path);
  ASSERT_TRUE(f.isOpen());
  EXPECT_EQ(f.size(), 10u);
  char buf[8] = {};
  EXPECT_EQ(f.readAt(7, buf, 8), 3u);
  EXPECT_EQ(std::string(buf, 3), "789");
  EXPECT_EQ(f.readAt(10, buf, 1), 0u);
  EXPECT_EQ(f.readAt(1000, buf, 1), 0u);
}

TEST(ReadOnlyFile, MissingFilesAndFoldersDoNotOpen) {
  TempDir dir;
  platform::ReadOnlyFile f;
  EXPECT_FALSE(f.open(dir.path() + "nothing.mp3"));
  EXPECT_FALSE(f.isOpen());
  char b;
  EXPECT_EQ(f.readAt(0, &b, 1), 0u);
  EXPECT_EQ(platform::fileSize(dir.path() + "nothing.mp3"), -1);
  EXPECT_FALSE(platform::fileExists(dir.path() + "nothing.mp3"));
  EXPECT_TRUE(platform::fileExists(dir.path()));
  EXPECT_EQ(platform::fileSize(dir.path()), -1);  // a folder has no size of its own
}

TEST(ReadOnlyFile, ChineseNamesWork) {
  TempDir dir;
  const std::string name = platform::utf8ToLocal("歌曲（演唱）.mp3");
  const std::string path = dir.write(name, "abc");
  EXPECT_TRUE(platform::fileExists(path));
  EXPECT_EQ(platform::fileSize(path), 3);
  platform::ReadOnlyFile f(path);
  EXPECT_TRUE(f.isOpen());
}

#ifdef _WIN32
#include <windows.h>
TEST(ReadOnlyFile, OtherWritersAreExcludedWhileOpen) {
  TempDir dir;
  const std::string path = dir.write("locked.mp3", "abc");
  platform::ReadOnlyFile f(path);
  ASSERT_TRUE(f.isOpen());
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  f.close();
  // Closed means closed: now a writer gets in.
  writer = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}
#endif

TEST(MoveFileNoReplace, MovesAFile) {
  TempDir dir;
  const std::string from = dir.write("old.mp3", "song bytes");
  const std::string to = dir.path() + platform::utf8ToLocal("标题(歌手).mp3");
  EXPECT_EQ(platform::moveFileNoReplace(from, to), platform::MoveResult::moved);
  EXPECT_FALSE(platform::fileExists(from));
  EXPECT_EQ(TempDir::read(to), "song bytes");
}

TEST(MoveFileNoReplace, NeverReplacesAnExistingFile) {
  TempDir dir;
  const std::string from = dir.write("a.mp3", "first");
  const std::string to = dir.write("b.mp3", "second");
  EXPECT_EQ(platform::moveFileNoReplace(from, to), platform::MoveResult::targetExists);
  EXPECT_EQ(TempDir::read(from), "first");
  EXPECT_EQ(TempDir::read(to), "second");
}

TEST(MoveFileNoReplace, ReportsAMissingSource) {
  TempDir dir;
  EXPECT_EQ(platform::moveFileNoReplace(dir.path() + "gone.mp3", dir.path() + "x.mp3"),
            platform::MoveResult::sourceMissing);
  EXPECT_FALSE(platform::fileExists(dir.path() + "x.mp3"));
}

TEST(MoveFileNoReplace, ReportsANameTheFileSystemRefuses) {
  TempDir dir;
  const std::string from = dir.write("a.mp3", "song");
#ifdef _WIN32
  const std::string refused = "Who?.mp3";
#else
  const std::string refused = std::string(300, 'x') + ".mp3";  // over NAME_MAX
#endif
  EXPECT_EQ(platform::moveFileNoReplace(from, dir.path() + refused),
            platform::MoveResult::invalidName);
  EXPECT_EQ(TempDir::read(from), "song");
}

TEST(TempFolder, EndsWithASeparatorAndExists) {
  const std::string t = platform::tempFolder();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.back(), platform::kPathSeparator);
  EXPECT_TRUE(platform::fileExists(t));
}

}  // namespace
