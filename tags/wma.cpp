// Reader of the ASF (WMA) header objects. Walks the objects of the Header Object at the
// start of the file and reads four of them: Content Description, Extended Content
// Description, Codec List and File Properties. The data packets are never touched.
#include "tags/wma.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/text.h"
#include "tags/bytes.h"
#include "tags/cursor.h"

namespace tags {

namespace {

// --- constant tables -------------------------------------------------------------------

struct Guid {
  std::uint8_t bytes[16];
};

constexpr std::uint8_t hexNibble(char c) {
  return static_cast<std::uint8_t>(c >= '0' && c <= '9'   ? c - '0'
                                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                          : c - 'a' + 10);
}

// A GUID from its usual text form. ASF stores the first three groups little-endian and
// the last two as written, so byte i of the stored form comes from text offset kAt[i].
constexpr Guid asfGuid(const char (&text)[37]) {
  constexpr int kAt[16] = {6, 4, 2, 0, 11, 9, 16, 14, 19, 21, 24, 26, 28, 30, 32, 34};
  Guid g{};
  for (int i = 0; i < 16; ++i)
    g.bytes[i] =
        static_cast<std::uint8_t>(hexNibble(text[kAt[i]]) << 4 | hexNibble(text[kAt[i] + 1]));
  return g;
}

// The objects this reader knows, with the GUIDs ASF 1.20 gives them.
constexpr Guid kHeaderObject = asfGuid("75B22630-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid kContentDescriptionObject = asfGuid("75B22633-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid kExtendedContentDescriptionObject = asfGuid("D2D0A440-E307-11D2-97F0-00A0C95EA850");
constexpr Guid kCodecListObject = asfGuid("86D15240-311D-11D0-A3A4-00A0C90348F6");
constexpr Guid kFilePropertiesObject = asfGuid("8CABDCA1-A947-11CF-8EE4-00C00C205365");

static_assert(kHeaderObject.bytes[0] == 0x30 && kHeaderObject.bytes[3] == 0x75 &&
                  kHeaderObject.bytes[4] == 0x8E && kHeaderObject.bytes[6] == 0xCF &&
                  kHeaderObject.bytes[8] == 0xA6 && kHeaderObject.bytes[15] == 0x6C,
              "ASF GUIDs are stored with their first three groups little-endian");

bool isGuid(const std::uint8_t* bytes, const Guid& guid) {
  return compareBytes(bytes, guid.bytes, sizeof guid.bytes) == 0;
}

enum class AsfValue { text, number, picture };

struct AsfKeyName {
  const char* name;              // ASCII, compared with the descriptor name unit by unit
  std::string SongInfo::*field;  // none for the picture
  AsfValue value;
};

// Extended Content Description attributes, in the order a name is compared against them.
constexpr AsfKeyName asfKeyNames[] = {
    {"WM/AlbumTitle", &SongInfo::album, AsfValue::text},
    {"WM/EncodedBy", &SongInfo::encoder, AsfValue::text},
    {"WM/Genre", &SongInfo::genre, AsfValue::text},
    {"WM/Lyrics", &SongInfo::lyrics, AsfValue::text},
    {"WM/Track", &SongInfo::trackIndex, AsfValue::number},
    {"WM/Year", &SongInfo::year, AsfValue::text},
    {"WM/URL", &SongInfo::url, AsfValue::text},
    {"WM/UserWebURL", &SongInfo::composer, AsfValue::text},
    {"WMFSDKVersion", &SongInfo::sdkVersion, AsfValue::text},
    {"WM/TrackNumber", &SongInfo::track, AsfValue::number},
    {"WM/Picture", nullptr, AsfValue::picture},
};

constexpr std::size_t asciiLength(const char* s) {
  std::size_t n = 0;
  while (s[n] != '\0') ++n;
  return n;
}

constexpr std::size_t longestKeyName() {
  std::size_t longest = 0;
  for (const auto& key : asfKeyNames)
    if (asciiLength(key.name) > longest) longest = asciiLength(key.name);
  return longest;
}

// A name matches a key only when its units up to the first NUL spell the key, so the
// key's units plus one more (a NUL, or proof the name is longer) decide the match.
constexpr std::size_t kNamePrefixBytes = 2 * (longestKeyName() + 1);

// ASF descriptor value types (ASF 3.11).
constexpr std::uint16_t kDwordValue = 3;

// File Properties flags (ASF 3.2): a broadcast file's play duration is not meaningful.
constexpr std::uint32_t kBroadcastFlag = 0x1;

constexpr std::uint64_t kObjectHeaderSize = 24;  // GUID and 64-bit size

// --- reading helpers -------------------------------------------------------------------

// Up to n bytes (clamped to the file) as UTF-16LE text up to its first NUL unit.
std::string readUtf16Text(Cursor& c, std::uint64_t n) {
  const std::vector<std::uint8_t> bytes = c.bytes(n);
  return utf16ToLocal(bytes.data(), bytes.size());
}

const AsfKeyName* findKeyName(const std::uint8_t* name, std::size_t byteCount) {
  std::size_t units = 0;
  while (units * 2 + 1 < byteCount && le16(name + units * 2) != 0) ++units;
  for (const auto& key : asfKeyNames) {
    const std::size_t length = asciiLength(key.name);
    if (length != units) continue;
    std::size_t i = 0;
    while (i < length && le16(name + i * 2) == static_cast<std::uint8_t>(key.name[i])) ++i;
    if (i == length) return &key;
  }
  return nullptr;
}

// --- objects ---------------------------------------------------------------------------

void readContentDescription(Cursor& c, SongInfo& info) {
  std::uint8_t lengths[10];  // title, author, copyright, description, rating
  c.read(lengths, sizeof lengths);
  std::string SongInfo::*const fields[4] = {&SongInfo::title, &SongInfo::artist,
                                            &SongInfo::copyright, &SongInfo::comment};
  for (int i = 0; i < 4; ++i) {
    const std::uint16_t length = le16(lengths + 2 * i);
    if (length > 0) info.*fields[i] = readUtf16Text(c, length);
  }
}

// WM/Picture (ASF 3.11 and the WM/Picture attribute layout): picture type (1 byte), data
// length (32-bit), MIME type and description (NUL-terminated UTF-16), then the image.
void readPicture(Cursor& c, std::uint16_t valueLength, SongInfo& info) {
  if (valueLength < 5 || !info.pictureWanted) return;
  c.skip(1);
  const std::uint32_t dataLength = c.le32();
  // An image longer than its own value is a broken attribute: skipping a negative
  // distance would read the picture from the bytes before it.
  if (dataLength > valueLength - 5u) return;
  c.skip(valueLength - 5u - dataLength);
  info.picture = c.bytes(dataLength);
}

void readExtendedContentDescription(Cursor& c, SongInfo& info) {
  const std::uint16_t count = c.le16();
  for (std::uint32_t i = 0; i < count && !c.atEnd(); ++i) {
    const std::uint16_t nameLength = c.le16();
    std::uint8_t name[kNamePrefixBytes];
    const std::size_t prefix = nameLength < sizeof name ? nameLength : sizeof name;
    c.read(name, prefix);
    c.skip(nameLength - prefix);
    const AsfKeyName* key = findKeyName(name, prefix);
    const std::uint16_t type = c.le16();
    const std::uint16_t valueLength = c.le16();
    if (valueLength == 0) continue;
    // Each descriptor starts where the previous value ends, whatever that value held.
    const std::uint64_t valueEnd =
        c.tell() + (valueLength < c.remaining() ? valueLength : c.remaining());
    if (key != nullptr) {
      if (key->value == AsfValue::picture) {
        readPicture(c, valueLength, info);
      } else if (key->value == AsfValue::number && type == kDwordValue) {
        std::uint8_t dword[4] = {0, 0, 0, 0};
        c.read(dword, valueLength < 4 ? valueLength : 4);
        info.*key->field = std::to_string(le32(dword));
      } else {
        info.*key->field = readUtf16Text(c, valueLength);
      }
    }
    c.seek(valueEnd);
  }
}

// ASCII and ideographic (full-width) spaces.
bool isTrimmedSpace(char16_t unit) { return unit == 0x0020 || unit == 0x3000; }

bool containsAscii(const std::u16string& text, const char* word) {
  const std::size_t n = std::strlen(word);
  for (std::size_t at = 0; at + n <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < n && text[at + i] == static_cast<unsigned char>(word[i])) ++i;
    if (i == n) return true;
  }
  return false;
}

struct ChannelTexts {
  std::string stereo = platform::utf8ToLocal("立体声");
  std::string mono = platform::utf8ToLocal("单声道");
  std::string unknown = platform::utf8ToLocal("未知");
};

const ChannelTexts& channelTexts() {
  static const ChannelTexts texts;
  return texts;
}

std::string trimmedLocal(const std::u16string& text, std::size_t first, std::size_t last) {
  while (first < last && isTrimmedSpace(text[first])) ++first;
  while (last > first && isTrimmedSpace(text[last - 1])) --last;
  return platform::wideToLocal(text.substr(first, last - first));
}

// A codec description reads like "128 kbps, 44 kHz, stereo 1-pass CBR": the bit rate,
// the sampling frequency and the channel mode, split at commas. The split, the trim and
// the search work on UTF-16 units, so a double-byte character is never cut apart or
// mistaken for ASCII letters.
void readCodecDescription(const std::vector<std::uint8_t>& bytes, SongInfo& info) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(le16(bytes.data() + i));
    if (unit == 0) break;
    text.push_back(unit);
  }
  if (text.empty()) return;  // no parts at all
  std::size_t start = 0;
  for (int part = 0; part < 3 && start <= text.size(); ++part) {
    std::size_t end = text.find(u',', start);
    if (end == std::u16string::npos) end = text.size();
    if (part == 0) {
      info.bitRate = trimmedLocal(text, start, end);
    } else if (part == 1) {
      info.sampleRate = trimmedLocal(text, start, end);
    } else {
      const std::u16string mode = text.substr(start, end - start);
      const ChannelTexts& words = channelTexts();
      info.channels = containsAscii(mode, "stereo") ? words.stereo
                      : containsAscii(mode, "mono") ? words.mono
                                                    : words.unknown;
    }
    start = end + 1;
  }
}

void readCodecList(Cursor& c, SongInfo& info) {
  c.skip(16);  // reserved GUID
  // Only the first entry is read; a list without entries has none to read, and the bytes
  // after its count belong to the next object.
  if (c.le32() == 0) return;
  c.skip(2);  // codec type
  const std::uint16_t nameChars = c.le16();
  info.encoder = readUtf16Text(c, 2u * nameChars);
  const std::uint16_t descriptionChars = c.le16();
  readCodecDescription(c.bytes(2u * descriptionChars), info);
}

std::int32_t clampToInt32(double seconds) {
  if (seconds >= 2147483647.0) return 2147483647;
  if (seconds <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(seconds);  // truncates toward zero
}

void readFileProperties(Cursor& c, SongInfo& info) {
  c.skip(40);  // file ID, file size, creation date, data packets count
  const std::uint64_t playDuration = c.le64();  // 100-nanosecond units, preroll included
  c.skip(8);                                    // send duration
  const std::uint64_t preroll = c.le64();       // milliseconds
  const std::uint32_t flags = c.le32();
  if (flags & kBroadcastFlag) return;
  const double seconds =
      (static_cast<double>(playDuration) / 10000.0 - static_cast<double>(preroll)) / 1000.0;
  info.duration = formatDuration(clampToInt32(seconds));
}

}  // namespace

bool readWmaInfo(const std::string& path, SongInfo& info) {
  return readExistingFile(path, info, &readWmaInfo);
}

bool readWmaInfo(Source& source, SongInfo& info) {
  if (!source.isOpen()) return false;
  resetSongInfo(info);
  Cursor c(source);
  // Header Object: GUID, object size (not needed: the objects carry their own sizes),
  // number of header objects, two reserved bytes.
  std::uint8_t header[30];
  c.read(header, sizeof header);
  if (!isGuid(header, kHeaderObject)) return false;
  const std::uint32_t objectCount = le32(header + 24);

  for (std::uint32_t i = 0; i < objectCount; ++i) {
    const std::uint64_t start = c.tell();
    std::uint8_t object[kObjectHeaderSize];
    if (!c.read(object, sizeof object)) break;
    const std::uint64_t size = le64(object + 16);
    // An object smaller than its own GUID and size cannot move the walk forward; with a
    // size of 0 the same object would be read again for every count left.
    if (size < kObjectHeaderSize) break;
    // An object is read within its own size: no length inside it reaches the next one.
    SliceSource body(source, start + kObjectHeaderSize, size - kObjectHeaderSize);
    Cursor inner(body);
    if (isGuid(object, kContentDescriptionObject)) {
      readContentDescription(inner, info);
    } else if (isGuid(object, kExtendedContentDescriptionObject)) {
      readExtendedContentDescription(inner, info);
    } else if (isGuid(object, kCodecListObject)) {
      readCodecList(inner, info);
    } else if (isGuid(object, kFilePropertiesObject)) {
      readFileProperties(inner, info);
    }
    // Nothing can be read at or past the end of the file: the walk ends there.
    if (size >= c.size() - start) break;
    c.seek(start + size);
  }
  return true;
}

}  // namespace tags
