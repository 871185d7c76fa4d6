// Reader of the Monkey's Audio stream header and the APEv2 tag.
#include "tags/ape.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/text.h"
#include "tags/cursor.h"
#include "tags/field_limits.h"
#include "tags/probes.h"

namespace tags {

namespace {

// Monkey's Audio 3.98 replaced the old header by a descriptor and a new header.
constexpr std::uint16_t kFirstDescriptorVersion = 3980;

// Old headers do not store the frame size; it follows from the encoder's version and,
// for 3.80 to 3.89, from the "extra high" compression level.
std::int32_t oldBlocksPerFrame(std::uint16_t version, std::uint16_t compressionLevel) {
  if (version >= 3950) return 294912;
  if (version >= 3900) return 73728;
  if (version >= 3800 && compressionLevel == 4000) return 73728;
  return 9216;
}

std::int32_t signed32(std::uint32_t v) {
  return static_cast<std::int32_t>(v);  // two's complement, as the format stores it
}

void readStreamHeader(Cursor& cursor, std::uint64_t headerStart, SongInfo& info) {
  cursor.seek(headerStart);
  std::uint8_t magic[3];
  cursor.read(magic, 3);
  if (compareBytes(magic, "MAC", 3) != 0) return;
  cursor.skip(1);  // the fourth magic byte, a space
  const std::uint16_t version = cursor.le16();

  std::int32_t blocksPerFrame, finalFrameBlocks, totalFrames, sampleRate;
  std::uint16_t bitsPerSample = 0, channels;
  if (version >= kFirstDescriptorVersion) {
    // The descriptor's own lengths are not needed: the header proper follows at 52.
    cursor.skip(46);
    cursor.le16();  // compression level
    cursor.le16();  // format flags
    blocksPerFrame = signed32(cursor.le32());
    finalFrameBlocks = signed32(cursor.le32());
    totalFrames = signed32(cursor.le32());
    bitsPerSample = cursor.le16();
    channels = cursor.le16();
    sampleRate = signed32(cursor.le32());
  } else {
    const std::uint16_t compressionLevel = cursor.le16();
    cursor.le16();  // format flags
    channels = cursor.le16();
    sampleRate = signed32(cursor.le32());
    cursor.skip(8);  // header bytes and terminating bytes of the WAVE wrapper
    totalFrames = signed32(cursor.le32());
    finalFrameBlocks = signed32(cursor.le32());
    blocksPerFrame = oldBlocksPerFrame(version, compressionLevel);
  }

  // Every frame but the last is full. With no frames or no sampling rate there is no
  // play time to tell (the formula would count minus one frame or divide by zero).
  std::int64_t seconds = 0;
  if (totalFrames != 0 && sampleRate != 0) {
    const std::int64_t blocks = (std::int64_t{totalFrames} - 1) * blocksPerFrame + finalFrameBlocks;
    seconds = blocks / sampleRate;  // truncates toward zero
  }
  if (seconds > std::numeric_limits<std::int32_t>::max())
    seconds = std::numeric_limits<std::int32_t>::max();
  if (seconds < 0) seconds = 0;
  info.duration = formatDuration(static_cast<std::int32_t>(seconds));

  if (channels == 1) {
    static const std::string mono = platform::utf8ToLocal("单声道");
    info.channels = mono;
  } else if (channels == 2) {
    static const std::string stereo = platform::utf8ToLocal("立体声");
    info.channels = stereo;
  }
  info.sampleRate = std::to_string(sampleRate);
  info.bitRate = std::to_string(bitsPerSample);
  info.encoder = monkeysAudioEncoder(version);
}

// The APEv2 text items this program uses. Keys are compared whole and, as APEv2 defines
// keys, without regard to ASCII case.
enum class ItemValue { localText, utf8Text };
struct ApeItemKey {
  const char* key;
  std::string SongInfo::*field;
  ItemValue value;
};
const ApeItemKey kApeItemKeys[] = {
    {"Year", &SongInfo::year, ItemValue::localText},
    {"Album", &SongInfo::album, ItemValue::utf8Text},
    {"Artist", &SongInfo::artist, ItemValue::utf8Text},
    {"Copyright", &SongInfo::copyright, ItemValue::utf8Text},
    {"Comment", &SongInfo::comment, ItemValue::utf8Text},
    {"Genre", &SongInfo::genre, ItemValue::utf8Text},
    {"Title", &SongInfo::title, ItemValue::utf8Text},
    {"Track", &SongInfo::track, ItemValue::utf8Text},
    {"Lyrics", &SongInfo::lyrics, ItemValue::utf8Text},
};
constexpr std::size_t kTextKeyCount = sizeof kApeItemKeys / sizeof kApeItemKeys[0];
// Cover pictures are binary items keyed "Cover Art (Front)", "Cover Art (Back)"...
const char kCoverKeyPrefix[] = "Cover";

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithIgnoringCase(const std::uint8_t* text, std::size_t length, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  if (length < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (asciiLower(static_cast<char>(text[i])) != asciiLower(prefix[i])) return false;
  return true;
}

bool equalsIgnoringCase(const std::uint8_t* text, std::size_t length, const char* key) {
  return length == std::strlen(key) && startsWithIgnoringCase(text, length, key);
}

std::size_t lengthBeforeNul(const std::uint8_t* bytes, std::size_t n) {
  if (n == 0) return 0;
  const void* nul = std::memchr(bytes, 0, n);
  return nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - bytes) : n;
}

// APEv2 keys are 2 to 255 ASCII characters.
constexpr std::size_t kMinKeyLength = 2;
constexpr std::size_t kMaxKeyLength = 255;

// Walks the items one by one through the item area: value length, flags, key up to its
// NUL, value. The first item of each key wins. A length that runs past the area or a key
// that APEv2 does not allow ends the walk; a value larger than a field may hold is passed
// over.
void readItems(Source& area, SongInfo& info) {
  bool taken[kTextKeyCount] = {};
  bool coverTaken = false;
  Cursor cursor(area);
  const std::uint64_t size = cursor.size();
  while (cursor.remaining() >= 8) {
    const std::uint32_t valueLength = cursor.le32();
    cursor.skip(4);  // item flags
    const std::uint64_t keyStart = cursor.tell();
    std::uint8_t key[kMaxKeyLength + 1];
    const auto probe =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof key, cursor.remaining()));
    cursor.read(key, probe);
    const std::size_t keyLength = lengthBeforeNul(key, probe);
    if (keyLength == probe || keyLength < kMinKeyLength) break;
    const std::uint64_t valueStart = keyStart + keyLength + 1;
    if (valueLength > size - valueStart) break;
    cursor.seek(valueStart);

    if (!coverTaken && startsWithIgnoringCase(key, keyLength, kCoverKeyPrefix)) {
      // The value is the picture's file name, a NUL, then the image file's bytes.
      coverTaken = true;
      if (info.pictureWanted && valueLength <= kMaxPictureBytes) {
        const std::vector<std::uint8_t> value = cursor.bytes(valueLength);
        const std::size_t nameLength = lengthBeforeNul(value.data(), value.size());
        if (nameLength < value.size())
          info.picture.assign(value.begin() + static_cast<std::ptrdiff_t>(nameLength) + 1,
                              value.end());
      }
    } else {
      for (std::size_t k = 0; k < kTextKeyCount; ++k) {
        if (taken[k] || !equalsIgnoringCase(key, keyLength, kApeItemKeys[k].key)) continue;
        taken[k] = true;
        if (valueLength > kMaxTextBytes) break;
        std::vector<std::uint8_t> value = cursor.bytes(valueLength);
        value.resize(lengthBeforeNul(value.data(), value.size()));
        std::string& field = info.*kApeItemKeys[k].field;
        if (kApeItemKeys[k].value == ItemValue::localText)
          field.assign(value.begin(), value.end());
        else
          field = utf16ToLocal(utf8ToUtf16(value));
        break;
      }
    }
    cursor.seek(valueStart + valueLength);
  }
}

// Reads the tag whose footer takes the 32 bytes before the ID3v1 tag (or the end).
bool readTag(Source& source, std::uint64_t id3v1Length, SongInfo& info) {
  Cursor cursor(source);
  if (cursor.size() < id3v1Length + 32) return false;
  const std::uint64_t footerStart = cursor.size() - id3v1Length - 32;
  std::uint8_t footer[32];
  cursor.seek(footerStart);
  cursor.read(footer, sizeof footer);
  if (compareBytes(footer, "APETAGEX", 8) != 0) return false;
  // The tag size counts the items and the footer, not the optional header; the items end
  // where the footer begins. A tag larger than the file in front of its footer is
  // damaged, and its items are not looked for.
  const std::int32_t tagSize = signed32(le32(footer + 12));
  if (tagSize > 32) {
    const std::uint64_t areaLength = static_cast<std::uint64_t>(tagSize) - 32;
    if (areaLength <= footerStart) {
      SliceSource area(source, footerStart - areaLength, areaLength);
      readItems(area, info);
    }
  }
  return true;
}

}  // namespace

std::string monkeysAudioEncoder(std::uint16_t version) {
  // version / 1000 has at most five significant digits, so writing the quotient and the
  // remainder's digits without trailing zeros is exact.
  std::string text = "Monkey's Audio " + std::to_string(version / 1000);
  int fraction = version % 1000;
  if (fraction != 0) {
    char digits[4] = {static_cast<char>('0' + fraction / 100),
                      static_cast<char>('0' + fraction / 10 % 10),
                      static_cast<char>('0' + fraction % 10), '\0'};
    std::size_t n = 3;
    while (digits[n - 1] == '0') --n;
    text += '.';
    text.append(digits, n);
  }
  return text;
}

bool readApeInfo(const std::string& path, SongInfo& info) {
  return readExistingFile(path, info, &readApeInfo);
}

bool readApeInfo(Source& source, SongInfo& info) {
  if (!source.isOpen()) return false;
  resetSongInfo(info);
  const std::uint64_t id3v1Length = static_cast<std::uint64_t>(probeId3v1(source));
  const std::uint64_t id3v2Length = static_cast<std::uint64_t>(probeId3v2(source));
  Cursor cursor(source);
  readStreamHeader(cursor, id3v2Length, info);
  return readTag(source, id3v1Length, info);
}

}  // namespace tags
