// Reader of the ID3v1/1.1 tag in the last 128 bytes of a file, and the ID3v1 genre names.
#include "tags/id3v1.h"

#include <cstring>

#include "platform/text.h"
#include "tags/cursor.h"

namespace tags {

const char* const id3v1Genres[kId3v1GenreCount] = {
    // 0-79: the ID3v1 list
    "Blues", "ClassicRock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "NewAge", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "DeathMetal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "SoundClip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "InstrumentalPop", "InstrumentalRock", "Ethnic", "Gothic", "Darkwave",
    "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "SouthernRock", "Comedy",
    "Cult", "Gangsta", "Top40", "ChristianRap", "Pop/Funk", "Jungle", "NativeAmerican", "Cabaret",
    "NewWave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "AcidPunk",
    "AcidJazz", "Polka", "Retro", "Musical", "Rock&Roll", "HardRock",
    // 80-147: the Winamp extensions
    "Folk", "Folk-Rock", "NationalFolk", "Swing", "FastFusion", "Bebob", "Latin", "Revival",
    "Celtic", "Bluegrass", "Avantgarde", "GothicRock", "ProgessiveRock", "PsychedelicRock",
    "SymphonicRock", "SlowRock", "BigBand", "Chorus", "EasyListening", "Acoustic", "Humour",
    "Speech", "Chanson", "Opera", "ChamberMusic", "Sonata", "Symphony", "BootyBass", "Primus",
    "PornGroove", "Satire", "SlowJam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "PowerBallad", "RhythmicSoul", "Freestyle", "Duet", "PunkRock", "DrumSolo", "Acapella",
    "Euro-House", "DanceHall", "Goa", "Drum&Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Negerpunk", "PolskPunk", "Beat", "ChristianGangstaRap", "HeavyMetal", "BlackMetal",
    "Crossover", "ContemporaryChristian", "ChristianRock", "Merengue", "Salsa", "TrashMetal",
    "Anime", "JPop", "Synthpop"};

namespace {

constexpr std::uint64_t kTagSize = 128;

// The full-width space (U+3000) of the local code page: A1 A1 in GBK and GB18030. Empty
// when the code page has none (it converts to "?" then, which must not be trimmed).
const std::string& localFullWidthSpace() {
  static const std::string space = [] {
    std::string s = platform::wideToLocal(u"\u3000");
    return s.size() > 1 ? s : std::string();
  }();
  return space;
}

// A fixed-width field as text: cut at the first NUL, spaces trimmed at both ends. The walk
// goes character by character, so the trail byte of a double-byte character is never taken
// for half of a full-width space.
std::string fieldText(const std::uint8_t* field, std::size_t width) {
  const void* nul = std::memchr(field, 0, width);
  const std::size_t n =
      nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - field) : width;
  const std::string text(reinterpret_cast<const char*>(field), n);
  const std::string& fullWidth = localFullWidthSpace();
  std::size_t first = std::string::npos;
  std::size_t last = 0;  // one past the last character that is not a space
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t len = platform::localCharLength(text, pos);
    const bool blank = (len == 1 && text[pos] == ' ') ||
                       (!fullWidth.empty() && text.compare(pos, len, fullWidth) == 0);
    if (!blank) {
      if (first == std::string::npos) first = pos;
      last = pos + len;
    }
    pos += len;
  }
  return first == std::string::npos ? std::string() : text.substr(first, last - first);
}

}  // namespace

bool readId3v1(const std::string& path, SongInfo& info) {
  FileSource source(path);
  return readId3v1(source, info);
}

bool readId3v1(Source& source, SongInfo& info) {
  if (!source.isOpen() || source.size() < kTagSize) return false;
  Cursor cur(source);
  std::uint8_t tag[kTagSize];
  cur.seek(cur.size() - kTagSize);
  if (!cur.read(tag, sizeof tag) || compareBytes(tag, "TAG", 3) != 0) return false;

  info.title = fieldText(tag + 3, 30);
  info.artist = fieldText(tag + 33, 30);
  info.album = fieldText(tag + 63, 30);
  info.year = fieldText(tag + 93, 4);
  // ID3v1.1 layout always: a 28-byte comment, byte 126 not read, the track in byte 127. In
  // an ID3v1.0 tag the track is thus the code of the comment's last character.
  info.comment = fieldText(tag + 97, 28);
  info.track = std::to_string(tag[126]);
  if (tag[127] < kId3v1GenreCount) info.genre = id3v1Genres[tag[127]];
  return true;
}

}  // namespace tags
