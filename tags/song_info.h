// SongInfo, the record every reader fills, the dispatcher that picks readers by suffix,
// and the small helpers the readers share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tags {

// Texts are local text (see platform/text.h); an empty text and an absent one are alike.
struct SongInfo {
  std::string artist;
  std::string title;
  std::string album;
  std::string copyright;
  std::string comment;
  std::string track;
  std::string encoder;
  std::string genre;
  std::string lyrics;
  std::string year;
  std::string url;
  std::string composer;
  std::string sdkVersion;
  std::string reserved;  // no reader stores it
  std::string bitRate;
  std::string sampleRate;
  std::string channels;
  std::string performer;
  std::string description;
  std::string duration;
  std::vector<std::uint8_t> picture;  // the embedded cover's image file bytes
  std::string trackIndex;

  // Not a tag field but a request: when false the readers pass over the cover's bytes and
  // leave `picture` empty. Naming a song needs its texts only, and a cover is often larger
  // than all the rest of its tag, so a summary read over thousands of songs skips them.
  bool pictureWanted = true;
};

// The 21 text fields by name, in record order (picture is field 20 and not listed).
struct SongInfoTextField {
  const char* name;
  std::string SongInfo::*member;
};
extern const SongInfoTextField kSongInfoTextFields[21];

// Empties fields 0 to 20; trackIndex and the pictureWanted request are left as they are.
void resetSongInfo(SongInfo& info);

// UTF-16LE code units (as bytes) up to the first NUL unit, to local text.
std::string utf16ToLocal(const std::vector<std::uint8_t>& utf16le);
std::string utf16ToLocal(const std::uint8_t* utf16le, std::size_t byteCount);

// UTF-8 bytes up to the first NUL byte, to UTF-16LE bytes ending in one NUL unit.
std::vector<std::uint8_t> utf8ToUtf16(const std::vector<std::uint8_t>& utf8);

// Convenience for readers holding UTF-8: utf16ToLocal(utf8ToUtf16(bytes)).
std::string utf8ToLocal(const std::uint8_t* utf8, std::size_t byteCount);

// Play time as minutes, ":" and two-digit seconds; minutes are not limited to two digits.
std::string formatDuration(std::int32_t seconds);

// Compares n bytes as unsigned values: -1, 0 or 1 at the first difference, 0 when equal.
int compareBytes(const void* a, const void* b, std::size_t n);

// The kinds of song the dispatcher knows, found from the last letters of a path.
enum class SongKind { unknown, wma, ape, mp3, ogg, flac };
SongKind songKindOf(const std::string& path);

// Runs the reading sequence of `kind` on `info`, opening the file once. False when a reader
// failed by an exception (no memory for a field, say): `info` is then reset.
bool readSongKind(SongKind kind, const std::string& path, SongInfo& info);
class Source;
bool readSongKind(SongKind kind, Source& source, SongInfo& info);

// The path form of the readers that reset the record as soon as the file exists (WMA, APE,
// Ogg, FLAC): a missing file leaves the record alone, one that exists but cannot be opened
// is reset and gives false, and an open one is handed to `read`.
bool readExistingFile(const std::string& path, SongInfo& info,
                      bool (*read)(Source& source, SongInfo& info));

// The list's summary of a song: title + " - " + artist, or "无法获取歌曲信息" for an
// unknown suffix (then nothing is read).
std::string readSongInfo(const std::string& path);

// "无法获取歌曲信息" in local text: the summary of a file of no known kind.
const std::string& noSongInfoText();

}  // namespace tags
