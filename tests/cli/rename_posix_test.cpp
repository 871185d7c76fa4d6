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
#include "tests/support/process_posix.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::runCommand;
using testing_support::shellQuote;
using testing_support::TempDir;

// Encodes one second of tone per kind once ("encode DIR"), then copies and tags a song per
// call ("song DIR KIND OUT [TITLE ARTIST]"); an empty artist is left out of the tag.
const char kSongMaker[] = R"(
import os, shutil, subprocess, sys

def run(*cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

if sys.argv[1] == "encode":
    d = sys.argv[2]
    wav = os.path.join(d, "tone.wav")
    run("ffmpeg", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-ac", "2",
        "-ar", "44100", wav)
    run("lame", "--quiet", "-b", "128", wav, os.path.join(d, "base.mp3"))
    run("flac", "--silent", "-f", "-o", os.path.join(d, "base.flac"), wav)
    run("oggenc", "-Q", "-q", "3", "-o", os.path.join(d, "base.ogg"), wav)
    run("ffmpeg", "-y", "-i", wav, "-c:a", "wmav2", "-b:a", "64k", os.path.join(d, "base.wma"))
    sys.exit(0)

base, kind, out = sys.argv[2:5]
shutil.copyfile(os.path.join(base, "base." + kind), out)
if len(sys.argv) > 5:
    title, artist = sys.argv[5], sys.argv[6]
    if kind == "mp3":
        from mutagen.id3 import ID3, TIT2, TPE1
        tag = ID3()
        tag.add(TIT2(encoding=1, text=title))
        if artist:
            tag.add(TPE1(encoding=1, text=artist))
        tag.save(out, v2_version=3)
    elif kind == "wma":
        from mutagen.asf import ASF
        f = ASF(out)
        f["Title"] = title
        if artist:
            f["Author"] = artist
        f.save()
    else:
        from mutagen.flac import FLAC
        from mutagen.oggvorbis import OggVorbis
        f = FLAC(out) if kind == "flac" else OggVorbis(out)
        f["title"] = title
        if artist:
            f["artist"] = artist
        f.save()
)";

// Every file under a folder: path relative to it -> bytes.
std::map<std::string, std::string> filesUnder(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[fs::relative(entry.path(), root).string()] = bytes.str();
  }
  return files;
}

std::vector<std::string> contentsOf(const std::map<std::string, std::string>& files) {
  std::vector<std::string> contents;
  for (const auto& f : files) contents.push_back(f.second);
  std::sort(contents.begin(), contents.end());
  return contents;
}

std::vector<std::string> namesOf(const std::map<std::string, std::string>& files) {
  std::vector<std::string> names;
  for (const auto& f : files) names.push_back(f.first);
  return names;
}

// Root may rename in any folder; a read-only folder only stops an ordinary user.
std::string unprivileged() {
  return geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
}

class CliRename : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    base_ = new TempDir;
    baseDir_ = platform::localToUtf8(base_->path());
    std::ofstream(baseDir_ + "make_song.py") << kSongMaker;
    const auto r = runCommand("/usr/bin/python3 " + shellQuote(baseDir_ + "make_song.py") +
                              " encode " + shellQuote(baseDir_));
    ASSERT_EQ(r.exitCode, 0) << "encoding the sample songs failed";
  }
  static void TearDownTestSuite() {
    delete base_;
    base_ = nullptr;
  }

  void TearDown() override {
    if (!snapshot_.empty()) {
      EXPECT_EQ(contentsOf(filesUnder(root())), snapshot_) << "a file was lost or changed";
    }
  }

  // This test's folder, UTF-8, with its trailing '/'.
  std::string root() const { return platform::localToUtf8(dir_.path()); }

  // Makes a song at `rel` under the test's folder; tagged when a title is given.
  std::string song(const std::string& rel, const char* kind, const char* title = nullptr,
                   const char* artist = "") {
    const std::string out = root() + rel;
    fs::create_directories(fs::path(out).parent_path());
    std::string cmd = "/usr/bin/python3 " + shellQuote(baseDir_ + "make_song.py") + " song " +
                      shellQuote(baseDir_) + " " + kind + " " + shellQuote(out);
    if (title) cmd += " " + shellQuote(title) + " " + shellQuote(artist);
    EXPECT_EQ(runCommand(cmd).exitCode, 0) << cmd;
    return out;
  }

  std::string file(const std::string& rel, const std::string& bytes) {
    std::ofstream(root() + rel, std::ios::binary) << bytes;
    return root() + rel;
  }

  // Remembers every file's bytes; TearDown checks that the same bytes are all still there.
  void snapshot() { snapshot_ = contentsOf(filesUnder(root())); }

  testing_support::CommandResult rename(const std::string& args, const std::string& prefix = "") {
    return runCommand(prefix + testing_support::lyrivaneBinary() + " rename " + args +
                      " 2>/dev/null");
  }

  std::vector<std::string> names() const { return namesOf(filesUnder(root())); }

  static TempDir* base_;
  static std::string baseDir_;
  TempDir dir_;
  std::vector<std::string> snapshot_;
};

TempDir* CliRename::base_ = nullptr;
std::string CliRename::baseDir_;

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
