// A test folder of real songs for the command line's tests.
#include "tests/support/cli_songs_posix.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text.h"
#include "tests/support/song_files_posix.h"

namespace testing_support {

namespace {

namespace fs = std::filesystem;

// Encodes one second of tone per kind once ("encode DIR"), then copies and tags a song per
// call ("song DIR KIND OUT [TITLE ARTIST]", an empty artist is left out of the tag) or many
// in one go ("many DIR KIND FOLDER N": song001.KIND titled "Title 001" by "A", and on).
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

def tag(out, kind, title, artist):
    if kind == "mp3":
        from mutagen.id3 import ID3, TIT2, TPE1
        id3 = ID3()
        id3.add(TIT2(encoding=1, text=title))
        if artist:
            id3.add(TPE1(encoding=1, text=artist))
        id3.save(out, v2_version=3)
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

base, kind, out = sys.argv[2:5]
if sys.argv[1] == "many":
    for i in range(1, int(sys.argv[5]) + 1):
        song = os.path.join(out, "song%03d.%s" % (i, kind))
        shutil.copyfile(os.path.join(base, "base." + kind), song)
        tag(song, kind, "Title %03d" % i, "A")
    sys.exit(0)
shutil.copyfile(os.path.join(base, "base." + kind), out)
if len(sys.argv) > 5:
    tag(out, kind, sys.argv[5], sys.argv[6])
)";

std::vector<std::string> contentsOf(const std::map<std::string, std::string>& files) {
  std::vector<std::string> contents;
  for (const auto& f : files) contents.push_back(f.second);
  std::sort(contents.begin(), contents.end());
  return contents;
}

}  // namespace

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

TempDir* CliSongFolder::base_ = nullptr;
std::string CliSongFolder::baseDir_;

void CliSongFolder::SetUpTestSuite() {
  base_ = new TempDir;
  baseDir_ = platform::localToUtf8(base_->path());
  std::ofstream(baseDir_ + "make_song.py") << kSongMaker;
  const auto r =
      runCommand(std::string(kDebianPython) + " " + shellQuote(baseDir_ + "make_song.py") +
                 " encode " + shellQuote(baseDir_));
  ASSERT_EQ(r.exitCode, 0) << "encoding the sample songs failed";
}

void CliSongFolder::TearDownTestSuite() {
  delete base_;
  base_ = nullptr;
}

void CliSongFolder::TearDown() {
  if (!snapshot_.empty()) {
    EXPECT_EQ(contentsOf(filesUnder(root())), snapshot_) << "a file was lost or changed";
  }
}

std::string CliSongFolder::root() const { return platform::localToUtf8(dir_.path()); }

std::string CliSongFolder::song(const std::string& rel, const char* kind, const char* title,
                                const char* artist) {
  const std::string out = root() + rel;
  fs::create_directories(fs::path(out).parent_path());
  std::string cmd = std::string(kDebianPython) + " " + shellQuote(baseDir_ + "make_song.py") +
                    " song " + shellQuote(baseDir_) + " " + kind + " " + shellQuote(out);
  if (title) cmd += " " + shellQuote(title) + " " + shellQuote(artist);
  EXPECT_EQ(runCommand(cmd).exitCode, 0) << cmd;
  return out;
}

void CliSongFolder::songs(const std::string& rel, const char* kind, int count) {
  fs::create_directories(fs::path(root() + rel));
  const std::string cmd = std::string(kDebianPython) + " " + shellQuote(baseDir_ + "make_song.py") +
                          " many " + shellQuote(baseDir_) + " " + kind + " " +
                          shellQuote(root() + rel) + " " + std::to_string(count);
  EXPECT_EQ(runCommand(cmd).exitCode, 0) << cmd;
}

std::string CliSongFolder::file(const std::string& rel, const std::string& bytes) {
  std::ofstream(root() + rel, std::ios::binary) << bytes;
  return root() + rel;
}

void CliSongFolder::snapshot() { snapshot_ = contentsOf(filesUnder(root())); }

std::vector<std::string> CliSongFolder::names() const {
  std::vector<std::string> out;
  for (const auto& f : filesUnder(root())) out.push_back(f.first);
  return out;
}

}  // namespace testing_support
