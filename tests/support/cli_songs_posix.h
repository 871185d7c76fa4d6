// A test folder of real songs for the command line's tests: songs encoded once per suite by
// real encoders (ffmpeg, lame, flac, oggenc) and tagged per song by mutagen, and a look at
// the folder's files so a test can tell that no file was lost or changed.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/process_posix.h"
#include "tests/support/temp_dir.h"

namespace testing_support {

// Every file under a folder: path relative to it -> bytes.
std::map<std::string, std::string> filesUnder(const std::string& root);

class CliSongFolder : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  // With a snapshot taken, the same bytes must all still be there at the end.
  void TearDown() override;

  // This test's folder, UTF-8, with its trailing '/'.
  std::string root() const;

  // Makes a song at `rel` under the test's folder; tagged when a title is given, an empty
  // artist left out of the tag. Returns its full path.
  std::string song(const std::string& rel, const char* kind, const char* title = nullptr,
                   const char* artist = "");
  // Makes `count` tagged songs in the folder `rel` in one go: song001.KIND titled
  // "Title 001" by "A", and so on.
  void songs(const std::string& rel, const char* kind, int count);
  std::string file(const std::string& rel, const std::string& bytes);

  // Remembers every file's bytes; TearDown checks that the same bytes are all still there.
  void snapshot();
  // The names of the files under the folder, relative to it, in byte order.
  std::vector<std::string> names() const;

 private:
  static TempDir* base_;
  static std::string baseDir_;
  TempDir dir_;
  std::vector<std::string> snapshot_;
};

}  // namespace testing_support
