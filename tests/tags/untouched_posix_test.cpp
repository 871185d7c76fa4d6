// Reading never changes a song: every reader, run on real songs of every kind, leaves each
// file's bytes and modification time exactly as they were.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/text.h"
#include "tags/ape.h"
#include "tags/flac.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/mpeg.h"
#include "tags/ogg.h"
#include "tags/probes.h"
#include "tags/song_info.h"
#include "tags/wma.h"
#include "tests/support/process_posix.h"
#include "tests/support/temp_dir.h"

namespace {

struct Snapshot {
  std::string bytes;
  timespec mtime{};
  bool operator==(const Snapshot& o) const {
    return bytes == o.bytes && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
  }
};

Snapshot snapshot(const std::string& utf8Path) {
  Snapshot s;
  s.bytes = testing_support::TempDir::read(platform::utf8ToLocal(utf8Path));
  struct stat st {};
  stat(utf8Path.c_str(), &st);
  s.mtime = st.st_mtim;
  return s;
}

TEST(ReadingSongs, LeavesEveryFileUntouched) {
  testing_support::TempDir dir;
  const std::string folder = platform::localToUtf8(dir.path());
  const auto made = testing_support::runCommand(std::string(LYRIVANE_SOURCE_DIR) +
                                                "/scripts/make_bench_corpus.py " +
                                                testing_support::shellQuote(folder) + " 24");
  ASSERT_EQ(made.exitCode, 0);

  std::map<std::string, Snapshot> before;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() != ".tsv") before[entry.path().string()] = snapshot(entry.path());
  ASSERT_EQ(before.size(), 24u);

  for (const auto& [path, _] : before) {
    const std::string local = platform::utf8ToLocal(path);
    tags::SongInfo info;
    tags::readId3v2(local, info);
    tags::readId3v1(local, info);
    tags::readMpegInfo(local, info);
    tags::readWmaInfo(local, info);
    tags::readApeInfo(local, info);
    tags::readOggInfo(local, info);
    tags::readFlacInfo(local, info);
    tags::probeId3v1(local);
    tags::probeId3v2(local);
    tags::readSongInfo(local);
  }
  for (const auto& [path, old] : before) EXPECT_TRUE(snapshot(path) == old) << path;
}

}  // namespace
