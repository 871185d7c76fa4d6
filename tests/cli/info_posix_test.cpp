// `lyrivane info` as a user runs it: output lines, JSON and exit codes.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text.h"
#include "tests/support/process_posix.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::runCommand;
using testing_support::shellQuote;

std::string info(const std::string& args) {
  return testing_support::lyrivaneBinary() + " info " + args + " 2>/dev/null";
}

// What `lyrivane info ARGS` says on stderr.
std::string infoErrors(const std::string& args) {
  return runCommand(testing_support::lyrivaneBinary() + " info " + args + " 2>&1 >/dev/null").out;
}

TEST(CliInfo, PrintsOneTabSeparatedLinePerPath) {
  testing_support::TempDir dir;
  const std::string song = platform::localToUtf8(dir.write("歌.mp3", std::string(300, 'x')));
  const std::string clip = platform::localToUtf8(dir.write("clip.mp4", "x"));
  const std::string missing = platform::localToUtf8(dir.path()) + "missing.flac";
  const std::string dangling = platform::localToUtf8(dir.path()) + "dangling.mp3";
  std::filesystem::create_symlink("nowhere.mp3", dangling);
  const std::string args = shellQuote(song) + " " + shellQuote(clip) + " " + shellQuote(missing) +
                           " " + shellQuote(dangling);
  const auto r = runCommand(info(args));
  // A missing or unreadable song keeps its line and makes the exit code 1.
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, song + "\t - \n" + clip + "\t无法获取歌曲信息\n" + missing + "\t - \n" +
                       dangling + "\t - \n");
  EXPECT_EQ(infoErrors(args), "lyrivane info: " + missing +
                                  ": not found\nlyrivane info: " + dangling + ": unreadable\n");
  EXPECT_EQ(runCommand(info(shellQuote(song) + " " + shellQuote(clip))).exitCode, 0);
}

TEST(CliInfo, FoldersGiveTheirSongsInNameOrderAndMinusRThoseOfTheFoldersInside) {
  testing_support::TempDir dir;
  const std::string root = platform::localToUtf8(dir.path());
  dir.write("b.ogg", "");
  dir.write("a.flac", "");
  dir.write("notes.txt", "");
  std::filesystem::create_directory(root + "sub");
  dir.write("sub/c.mp3", "");
  EXPECT_EQ(runCommand(info(shellQuote(root))).out, root + "a.flac\t - \n" + root + "b.ogg\t - \n");
  const auto r = runCommand(info("-r " + shellQuote(root)));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, root + "a.flac\t - \n" + root + "b.ogg\t - \n" + root + "sub/c.mp3\t - \n");
}

TEST(CliInfo, JsonListsEveryFieldOfTheRecord) {
  testing_support::TempDir dir;
  const std::string song = platform::localToUtf8(dir.write("a\"b.ogg", ""));
  const auto r = runCommand(info("--json " + shellQuote(song)));
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("\"path\": \"" + platform::localToUtf8(dir.path()) + "a\\\"b.ogg\""),
            std::string::npos)
      << r.out;
  for (const char* field :
       {"\"summary\": \" - \"", "\"artist\": \"\"", "\"trackIndex\": \"\"", "\"picture\": 0"})
    EXPECT_NE(r.out.find(field), std::string::npos) << field << "\n" << r.out;
  // The output is one JSON array that a JSON parser accepts.
  const auto parsed = runCommand(info("--json " + shellQuote(song)) +
                                 " | /usr/bin/python3 -c 'import json,sys; "
                                 "print(len(json.load(sys.stdin)[0]))'");
  EXPECT_EQ(parsed.out, "24\n");  // path, summary, the 21 texts and the picture's size
}

TEST(CliInfo, UsageErrorsExitWithTwo) {
  EXPECT_EQ(runCommand(info("")).exitCode, 2);
  EXPECT_EQ(runCommand(info("--bogus x.mp3")).exitCode, 2);
  EXPECT_EQ(runCommand(testing_support::lyrivaneBinary() + " frobnicate 2>/dev/null").exitCode, 2);
  EXPECT_EQ(runCommand(info("--help")).exitCode, 0);
  // "--" ends the options: a file may be called "--json".
  const auto r = runCommand(info("-- --json"));
  EXPECT_EQ(r.out, "--json\t无法获取歌曲信息\n");
}

}  // namespace
