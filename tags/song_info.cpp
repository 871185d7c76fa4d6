// The record's helpers and the dispatcher that runs a reading sequence per kind of song.
#include "tags/song_info.h"

#include <cstring>

#include "platform/file.h"
#include "platform/text.h"
#include "platform/utf.h"
#include "tags/ape.h"
#include "tags/flac.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/mpeg.h"
#include "tags/ogg.h"
#include "tags/source.h"
#include "tags/wma.h"

namespace tags {

const SongInfoTextField kSongInfoTextFields[21] = {
    {"artist", &SongInfo::artist},
    {"title", &SongInfo::title},
    {"album", &SongInfo::album},
    {"copyright", &SongInfo::copyright},
    {"comment", &SongInfo::comment},
    {"track", &SongInfo::track},
    {"encoder", &SongInfo::encoder},
    {"genre", &SongInfo::genre},
    {"lyrics", &SongInfo::lyrics},
    {"year", &SongInfo::year},
    {"url", &SongInfo::url},
    {"composer", &SongInfo::composer},
    {"sdkVersion", &SongInfo::sdkVersion},
    {"reserved", &SongInfo::reserved},
    {"bitRate", &SongInfo::bitRate},
    {"sampleRate", &SongInfo::sampleRate},
    {"channels", &SongInfo::channels},
    {"performer", &SongInfo::performer},
    {"description", &SongInfo::description},
    {"duration", &SongInfo::duration},
    {"trackIndex", &SongInfo::trackIndex},
};

void resetSongInfo(SongInfo& info) {
  const std::string keep = std::move(info.trackIndex);
  const bool pictureWanted = info.pictureWanted;
  info = SongInfo{};
  info.trackIndex = keep;
  info.pictureWanted = pictureWanted;
}

std::string utf16ToLocal(const std::uint8_t* utf16le, std::size_t byteCount) {
  std::u16string units;
  units.reserve(byteCount / 2);
  for (std::size_t i = 0; i + 1 < byteCount; i += 2) {
    const char16_t u = static_cast<char16_t>(utf16le[i] | (utf16le[i + 1] << 8));
    if (u == 0) break;
    units.push_back(u);
  }
  return platform::wideToLocal(units);
}

std::string utf16ToLocal(const std::vector<std::uint8_t>& utf16le) {
  return utf16ToLocal(utf16le.data(), utf16le.size());
}

std::vector<std::uint8_t> utf8ToUtf16(const std::vector<std::uint8_t>& utf8) {
  const auto* begin = reinterpret_cast<const char*>(utf8.data());
  const void* nul = utf8.empty() ? nullptr : std::memchr(begin, 0, utf8.size());
  const std::size_t n =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : utf8.size();
  if (n == 0) return {};
  const std::u16string units = platform::decodeUtf8(std::string(begin, n));
  std::vector<std::uint8_t> out;
  out.reserve(units.size() * 2 + 2);
  for (char16_t u : units) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

std::string utf8ToLocal(const std::uint8_t* utf8, std::size_t byteCount) {
  const void* nul = std::memchr(utf8, 0, byteCount);
  const std::size_t n =
      nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - utf8) : byteCount;
  return platform::utf8ToLocal(std::string(reinterpret_cast<const char*>(utf8), n));
}

std::string formatDuration(std::int32_t seconds) {
  // A negative count can only come from a broken header; it shows as no time at all
  // rather than as "0-1:0-5".
  if (seconds < 0) seconds = 0;
  const std::int32_t minutes = seconds / 60;
  const std::int32_t rest = seconds % 60;
  std::string out;
  if (minutes < 10) out += '0';
  out += std::to_string(minutes);
  out += ':';
  if (rest < 10) out += '0';
  out += std::to_string(rest);
  return out;
}

int compareBytes(const void* a, const void* b, std::size_t n) {
  if (n == 0) return 0;
  const int r = std::memcmp(a, b, n);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

namespace {

// The last `count` bytes of the path, ASCII letters lower-cased.
std::string lowerTail(const std::string& path, std::size_t count) {
  std::string tail = path.size() > count ? path.substr(path.size() - count) : path;
  for (char& c : tail)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return tail;
}

}  // namespace

SongKind songKindOf(const std::string& path) {
  // No dot is required: "xmp3" is an MP3 file as much as "x.mp3".
  const std::string three = lowerTail(path, 3);
  if (three == "wma") return SongKind::wma;
  if (three == "ape") return SongKind::ape;
  if (three == "mp3") return SongKind::mp3;
  if (three == "ogg") return SongKind::ogg;
  if (lowerTail(path, 4) == "flac") return SongKind::flac;
  return SongKind::unknown;
}

bool readSongKind(SongKind kind, const std::string& path, SongInfo& info) {
  if (kind == SongKind::unknown) return true;
  try {
    FileSource file(path);
    return readSongKind(kind, file, info);
  } catch (...) {
    resetSongInfo(info);
    return false;
  }
}

// The readers of each kind, in their order.
static void readSequence(SongKind kind, Source& file, SongInfo& info) {
  switch (kind) {
    case SongKind::wma:
      readWmaInfo(file, info);
      break;
    case SongKind::ape:
      readApeInfo(file, info);
      break;
    case SongKind::mp3:
      // An APEv2 tag may end an MP3 file; ID3v2 then overrides it, ID3v1 fills in when
      // ID3v2 is missing or gave no title, and the stream facts come last.
      readApeInfo(file, info);
      if (!readId3v2(file, info) || info.title.empty()) readId3v1(file, info);
      readMpegInfo(file, info);
      break;
    case SongKind::ogg:
      readOggInfo(file, info);
      break;
    case SongKind::flac:
      readFlacInfo(file, info);
      break;
    case SongKind::unknown:
      break;
  }
}

bool readSongKind(SongKind kind, Source& file, SongInfo& info) {
  // No exception leaves the readers: a song that cannot be read for any reason, running
  // out of memory included, is an unreadable song with an empty record.
  try {
    readSequence(kind, file, info);
  } catch (...) {
    resetSongInfo(info);
    return false;
  }
  return true;
}

bool readExistingFile(const std::string& path, SongInfo& info,
                      bool (*read)(Source& source, SongInfo& info)) {
  if (!platform::fileExists(path)) return false;
  FileSource source(path);
  if (!source.isOpen()) {
    resetSongInfo(info);
    return false;
  }
  return read(source, info);
}

const std::string& noSongInfoText() {
  static const std::string text = platform::utf8ToLocal("无法获取歌曲信息");
  return text;
}

std::string readSongInfo(const std::string& path) {
  const SongKind kind = songKindOf(path);
  if (kind == SongKind::unknown) return noSongInfoText();
  SongInfo info;
  info.pictureWanted = false;  // the summary shows texts only
  readSongKind(kind, path, info);
  return info.title + " - " + info.artist;
}

}  // namespace tags
