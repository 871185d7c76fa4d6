// Song bytes for the window tests, and folder snapshots.
#include "tests/gui/song_files.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "tests/support/byte_builder.h"
#include "tests/support/temp_dir.h"

namespace gui_testing {

namespace {

using testing_support::ByteBuilder;

// ID3v2.3 text frame: encoding 1 (UTF-16 with BOM), then the text without terminator.
std::string id3TextFrame(const char* id, const std::u16string& text) {
  if (text.empty()) return {};
  const std::string body = ByteBuilder().u8(1).bytes({0xFF, 0xFE}).utf16le(text).str();
  return ByteBuilder().raw(id).be32(static_cast<std::uint32_t>(body.size())).be16(0).raw(body);
}

// ASF GUIDs as the file stores them (first three groups little-endian).
const std::string kAsfHeader =
    ByteBuilder().bytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA,
                         0x00, 0x62, 0xCE, 0x6C});
const std::string kAsfContentDescription =
    ByteBuilder().bytes({0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA,
                         0x00, 0x62, 0xCE, 0x6C});

}  // namespace

std::string mp3Song(const std::u16string& title, const std::u16string& artist, int audio) {
  const std::string frames = id3TextFrame("TIT2", title) + id3TextFrame("TPE1", artist);
  ByteBuilder song;
  song.raw("ID3").bytes({3, 0, 0}).syncsafe32(static_cast<std::uint32_t>(frames.size()));
  song.raw(frames);
  // 128 kbit/s, 44.1 kHz, stereo: 417 bytes a frame, header included.
  for (int i = 0; i < 3; ++i) song.bytes({0xFF, 0xFB, 0x90, 0x64}).fill(413, audio);
  return song.str();
}

std::string wmaSong(const std::u16string& title, const std::u16string& author) {
  // Content Description: five 16-bit lengths, then title, author and three empty strings.
  const std::string titleBytes = ByteBuilder().utf16le(title).le16(0).str();
  const std::string authorBytes = ByteBuilder().utf16le(author).le16(0).str();
  ByteBuilder description;
  description.le16(static_cast<std::uint32_t>(titleBytes.size()))
      .le16(static_cast<std::uint32_t>(authorBytes.size()))
      .le16(0)
      .le16(0)
      .le16(0)
      .raw(titleBytes)
      .raw(authorBytes);
  const std::string object =
      ByteBuilder().raw(kAsfContentDescription).le64(24 + description.size()).raw(description);
  return ByteBuilder()
      .raw(kAsfHeader)
      .le64(30 + object.size())
      .le32(1)
      .bytes({1, 2})
      .raw(object)
      .fill(64, 0)  // where the data object would begin
      .str();
}

FolderFiles filesIn(const std::string& folder) {
  FolderFiles files;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    files[found.cFileName] = testing_support::TempDir::read(folder + found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return files;
}

std::string lostOrChanged(const FolderFiles& before, const FolderFiles& after) {
  std::vector<std::string> was;
  std::vector<std::string> is;
  for (const auto& file : before) was.push_back(file.second);
  for (const auto& file : after) is.push_back(file.second);
  std::sort(was.begin(), was.end());
  std::sort(is.begin(), is.end());
  if (was == is) return {};
  std::string names = "before:";
  for (const auto& file : before) names += " " + file.first;
  names += "; after:";
  for (const auto& file : after) names += " " + file.first;
  return names;
}

}  // namespace gui_testing
