// `lyrivane rename` as a user runs it, on real songs made by real encoders (lame, flac,
// oggenc, ffmpeg) and tagged by mutagen. After every test no file is lost and no file's
// bytes have changed: a rename only ever moves a file.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/text.h"
#include "tests/support/cli_songs_posix.h"
#include "tests/support/process_posix.h"

namespace {

namespace fs = std::filesystem;
using testing_support::runCommand;
using testing_support::shellQuote;

// Root may rename in any folder; a read-only folder only stops an ordinary user.
std::string unprivileged() {
  return geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
}

class CliRename : public testing_support::CliSongFolder {
 protected:
  testing_support::CommandResult rename(const std::string& args, const std::string& prefix = "") {
    return runCommand(prefix + testing_support::lyrivaneBinary() + " rename " + args +
                      " 2>/dev/null");
  }
};

TEST_F(CliRename, RenamesEverySongOfAFolderInPlaceInNameOrder) {
  song("track01.mp3", "mp3", "青花瓷", "周杰伦");
  song("audio_0003.FLAC", "flac", "Clair de Lune", "Debussy");
  song("download(1).ogg", "ogg", "茉莉花");
  song("New Recording 7.wma", "wma", "Bohemian Rhapsody", "Queen");
  file("notes.txt", "not a song\n");
  snapshot();
  const auto r = rename(shellQuote(root()));
  EXPECT_EQ(r.exitCode, 0);
  const std::string R = root();
  EXPECT_EQ(r.out, R + "New Recording 7.wma -> " + R + "Bohemian Rhapsody(Queen).wma\n" + R +
                       "audio_0003.FLAC -> " + R + "Clair de Lune(Debussy).flac\n" + R +
                       "download(1).ogg -> " + R + "茉莉花().ogg\n" + R + "track01.mp3 -> " + R +
                       "青花瓷(周杰伦).mp3\n");
  EXPECT_EQ(names(),
            (std::vector<std::string>{"Bohemian Rhapsody(Queen).wma", "Clair de Lune(Debussy).flac",
                                      "notes.txt", "茉莉花().ogg", "青花瓷(周杰伦).mp3"}));
  // A second run finds every song already named.
  const auto again = rename(shellQuote(R + "青花瓷(周杰伦).mp3"));
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.out, R + "青花瓷(周杰伦).mp3: already named\n");
}

TEST_F(CliRename, ChineseFoldersAndNamesFromTheShell) {
  song("我的音乐/歌 01.mp3", "mp3", "月亮代表我的心", "邓丽君");
  snapshot();
  // Relative paths as a user types them, run from the folder above.
  const auto r = runCommand("cd " + shellQuote(root()) + " && " +
                            testing_support::lyrivaneBinary() + " rename 我的音乐/*");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "我的音乐/歌 01.mp3 -> 我的音乐/月亮代表我的心(邓丽君).mp3\n");
  EXPECT_EQ(names(), std::vector<std::string>{"我的音乐/月亮代表我的心(邓丽君).mp3"});
}

TEST_F(CliRename, ASecondSongOfTheSameNameIsNeverPutOverTheFirst) {
  song("a.wma", "wma", "T", "A");
  song("b.wma", "wma", "T", "A");
  song("c.wma", "wma", "Taken", "A");
  file("Taken(A).wma", "a file that was there first");
  snapshot();
  const std::string R = root();
  const auto r = rename(shellQuote(R + "a.wma") + " " + shellQuote(R + "b.wma") + " " +
                        shellQuote(R + "c.wma"));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, R + "a.wma -> " + R + "T(A).wma\n" + R + "b.wma: not renamed: target exists (" +
                       R + "T(A).wma)\n" + R + "c.wma: not renamed: target exists (" + R +
                       "Taken(A).wma)\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"T(A).wma", "Taken(A).wma", "b.wma", "c.wma"}));
}

TEST_F(CliRename, ADryRunPrintsWhatTheRunDoesAndMovesNothing) {
  song("T(A).ogg", "ogg", "Moved", "B");  // frees its name for the next song
  song("x1.ogg", "ogg", "T", "A");
  song("x2.ogg", "ogg", "T", "A");  // then finds that name taken
  song("x3.flac", "flac", "AC/DC", "x");
  song("x4.mp3", "mp3");  // no tags at all
  snapshot();
  const auto before = names();
  const auto dry = rename("--dry-run " + shellQuote(root()));
  EXPECT_EQ(names(), before);
  const auto real = rename(shellQuote(root()));
  EXPECT_EQ(dry.out, real.out);
  EXPECT_EQ(dry.exitCode, real.exitCode);
  EXPECT_EQ(real.exitCode, 1);
  const std::string R = root();
  EXPECT_EQ(real.out, R + "T(A).ogg -> " + R + "Moved(B).ogg\n" + R + "x1.ogg -> " + R +
                          "T(A).ogg\n" + R + "x2.ogg: not renamed: target exists (" + R +
                          "T(A).ogg)\n" + R +
                          "x3.flac: not renamed: name refused (AC/DC(x).flac is not a single "
                          "file name)\n" +
                          R + "x4.mp3: not renamed: no title\n");
  EXPECT_EQ(names(),
            (std::vector<std::string>{"Moved(B).ogg", "T(A).ogg", "x2.ogg", "x3.flac", "x4.mp3"}));
}

TEST_F(CliRename, TitlesThatArePathsAreRefusedAndNothingLeavesTheFolder) {
  song("in/a.mp3", "mp3", "../../escaped", "A");
  song("in/b.ogg", "ogg", "..\\..\\escaped", "A");
  song("in/c.flac", "flac", "x", "a/b");
  song("in/d.wma", "wma", "sub/x", "A");
  snapshot();
  const auto r = rename(shellQuote(root() + "in"));
  EXPECT_EQ(r.exitCode, 1);
  const std::string in = root() + "in/";
  EXPECT_EQ(r.out, in +
                       "a.mp3: not renamed: name refused (../../escaped(A).mp3 is not a single "
                       "file name)\n" +
                       in +
                       "b.ogg: not renamed: name refused (..\\..\\escaped(A).ogg is not a "
                       "single file name)\n" +
                       in +
                       "c.flac: not renamed: name refused (x(a/b).flac is not a single file "
                       "name)\n" +
                       in +
                       "d.wma: not renamed: name refused (sub/x(A).wma is not a single file "
                       "name)\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"in/a.mp3", "in/b.ogg", "in/c.flac", "in/d.wma"}));
}

TEST_F(CliRename, ATitleHidingASeparatorAfterALeadByteNeverMovesTheSongOutOfItsFolder) {
  // An ID3v1 title of the bytes 81 30 2F 78: a GB 18030 lead byte and a digit, then "/x".
  // Converted for the system, the lead byte and digit become "\uFFFD0", a folder that exists.
  fs::create_directories(root() +
                         "t1/\xEF\xBF\xBD"
                         "0");
  std::string tag = "TAG";
  tag += std::string("\x81\x30\x2F\x78", 4) + std::string(26, '\0');  // title
  tag += "A" + std::string(29, '\0') + std::string(30 + 4 + 30, '\0') + "\xFF";
  file("t1/song.mp3", std::string(2000, '\0') + tag);
  snapshot();
  const auto r = rename(shellQuote(root() + "t1/song.mp3"));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out.rfind(root() + "t1/song.mp3: not renamed: name refused (", 0), 0u) << r.out;
  EXPECT_EQ(names(), std::vector<std::string>{"t1/song.mp3"});
}

TEST_F(CliRename, PathsAreBytesAFolderNamedInLatin1IsRenamedAsItIs) {
  const std::string cafe = "caf\xE9";  // "café" in Latin-1: not UTF-8
  song(cafe + "/x.ogg", "ogg", "T", "A");
  snapshot();
  const std::string R = root();
  const auto r = rename(shellQuote(R + cafe));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, R + cafe + "/x.ogg -> " + R + cafe + "/T(A).ogg\n");
  EXPECT_EQ(names(), std::vector<std::string>{cafe + "/T(A).ogg"});
  // JSON is valid UTF-8 all the same: the byte is shown as U+FFFD.
  const auto json =
      runCommand(testing_support::lyrivaneBinary() + " rename --json " + shellQuote(R + cafe) +
                 " | /usr/bin/python3 -c 'import json, os, sys\n"
                 "for o in json.load(sys.stdin):\n"
                 "    print(os.path.basename(os.path.dirname(o[\"path\"])), "
                 "o[\"status\"], sep=\"|\")'");
  EXPECT_EQ(json.out, "caf\xEF\xBF\xBD|left alone\n");
}

TEST_F(CliRename, ASongNamedTwiceIsTakenOnce) {
  song("dir/a.ogg", "ogg", "T", "A");
  snapshot();
  const std::string R = root();
  const auto r = rename(shellQuote(R + "dir") + " " + shellQuote(R + "dir/a.ogg") + " " +
                        shellQuote(R + "dir/../dir/a.ogg"));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, R + "dir/a.ogg -> " + R + "dir/T(A).ogg\n");
  EXPECT_EQ(names(), std::vector<std::string>{"dir/T(A).ogg"});
}

TEST_F(CliRename, AFolderThatCannotBeWrittenLeavesItsSongsAlone) {
  song("ro/a.wma", "wma", "T", "A");
  song("rw/b.wma", "wma", "U", "B");
  fs::permissions(root() + "rw", fs::perms::all, fs::perm_options::add);
  fs::permissions(root() + "ro",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  snapshot();
  const auto r =
      rename(shellQuote(root() + "ro") + " " + shellQuote(root() + "rw"), unprivileged());
  fs::permissions(root() + "ro", fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, root() + "ro/a.wma: not renamed: rename failed (" + root() + "ro/T(A).wma)\n" +
                       root() + "rw/b.wma -> " + root() + "rw/U(B).wma\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"ro/a.wma", "rw/U(B).wma"}));
}

TEST_F(CliRename, JsonGivesOneObjectPerSong) {
  song("a.ogg", "ogg", "T", "A");
  song("b.mp3", "mp3");
  file("c.wma", "not an ASF file");
  snapshot();
  const auto r = runCommand(testing_support::lyrivaneBinary() + " rename --json --dry-run " +
                            shellQuote(root()) +
                            " | /usr/bin/python3 -c 'import json, os, sys\n"
                            "for o in json.load(sys.stdin):\n"
                            "    print(os.path.basename(o[\"path\"]), o[\"status\"], "
                            "o[\"reason\"], os.path.basename(o[\"newPath\"]), o[\"title\"], "
                            "o[\"artist\"], sep=\"|\")'");
  EXPECT_EQ(r.out,
            "a.ogg|would rename||T(A).ogg|T|A\n"
            "b.mp3|left alone|no title|||\n"
            "c.wma|failed|unreadable|||\n");
}

TEST_F(CliRename, SongsLeftAloneAndTheExitCodes) {
  const std::string untagged = song("sub/deeper/x.mp3", "mp3");
  const std::string noise = file("noise.wma", std::string(3000, 'x'));
  const std::string notes = file("notes.txt", "x");
  snapshot();
  // Without -r a folder's folders are not entered.
  auto r = rename(shellQuote(root() + "sub"));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "");
  r = rename("-r " + shellQuote(root()));
  EXPECT_EQ(r.exitCode, 1);  // the WMA file cannot be read
  EXPECT_EQ(r.out, root() + "noise.wma: not renamed: unreadable\n" + untagged +
                       ": not renamed: no title\n");
  // A song without a title is left alone, which is not a failure; a file that is no song
  // named on the command line neither.
  r = rename(shellQuote(untagged) + " " + shellQuote(notes));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            untagged + ": not renamed: no title\n" + notes + ": not renamed: not a song file\n");
  r = rename(shellQuote(root() + "missing.mp3"));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, root() + "missing.mp3: not renamed: not found\n");
  // A song that cannot be opened is unreadable.
  fs::permissions(untagged, fs::perms::none);
  r = rename(shellQuote(untagged), unprivileged());
  fs::permissions(untagged, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, untagged + ": not renamed: unreadable\n");

  EXPECT_EQ(rename("").exitCode, 2);
  EXPECT_EQ(rename("--bogus " + shellQuote(untagged)).exitCode, 2);
  EXPECT_EQ(rename("--help").exitCode, 0);
  // "--" ends the options: a song may be called "-r.mp3".
  r = runCommand("cd " + shellQuote(root()) + " && " + testing_support::lyrivaneBinary() +
                 " rename -- -r.mp3");
  EXPECT_EQ(r.out, "-r.mp3: not renamed: not found\n");
}

}  // namespace
