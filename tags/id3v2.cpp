// Reader of the ID3v2 tag at the start of a file (ID3v2.2, 2.3 and 2.4).
//
// The tag is walked frame by frame through a cursor over the tag alone, so no frame reaches
// past the tag's end; an extended header is stepped over and unsynchronisation undone first.
// Only the frames the record keeps are read, everything else is stepped over, so a tag
// costs its headers plus the bodies kept, and no body larger than a field may hold is read.
#include "tags/id3v2.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "tags/bytes.h"
#include "tags/cursor.h"
#include "tags/field_limits.h"
#include "tags/id3v2_unsync.h"

namespace tags {

namespace {

constexpr std::uint64_t kTagHeaderSize = 10;

// Tag header flags (ID3v2.3 and 2.4 section 3.1).
constexpr std::uint8_t kTagUnsynchronised = 0x80;
constexpr std::uint8_t kTagExtendedHeader = 0x40;
// ID3v2.4 frame format flags (section 4.1.2), the second flag byte.
constexpr std::uint8_t kFrameUnsynchronised = 0x02;
constexpr std::uint8_t kFrameDataLengthIndicator = 0x01;
// The smallest ID3v2.4 extended header: its size, the flag byte count and one flag byte.
constexpr std::uint64_t kMinExtendedHeader24 = 6;

struct TextFrame {
  const char* id;    // ID3v2.3 and 2.4
  const char* id22;  // ID3v2.2
  std::string SongInfo::*field;
  LanguageField language;
};

const TextFrame kTextFrames[] = {
    {"TIT2", "TT2", &SongInfo::title, LanguageField::absent},
    {"TPE1", "TP1", &SongInfo::artist, LanguageField::absent},
    {"TALB", "TAL", &SongInfo::album, LanguageField::absent},
    {"COMM", "COM", &SongInfo::comment, LanguageField::present},
    {"TRCK", "TRK", &SongInfo::track, LanguageField::absent},
    {"TYER", "TYE", &SongInfo::year, LanguageField::absent},
    {"TCOM", "TCM", &SongInfo::composer, LanguageField::absent},
    {"TENC", "TEN", &SongInfo::encoder, LanguageField::absent},
    {"TCOP", "TCR", &SongInfo::copyright, LanguageField::absent},
    {"WXXX", "WXX", &SongInfo::url, LanguageField::absent},
    {"TCON", "TCO", &SongInfo::genre, LanguageField::absent},
    {"USLT", "ULT", &SongInfo::lyrics, LanguageField::present},
};

bool isFrameIdByte(std::uint8_t b) { return (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9'); }

// Whether a frame ending at `at` is followed by what may follow a frame: the tag's end (or
// the file's, for a tag cut short), the padding, or another ID3v2.4 frame id. Padding must
// be zero for a whole frame header (or up to the tag's end): a lone zero byte is common in
// image data that a wrong size may land in.
bool isFrameBoundary(Cursor& cur, std::uint64_t at, std::uint64_t tagEnd) {
  if (at == tagEnd) return true;
  if (at > tagEnd) return false;
  if (at == cur.size()) return true;
  std::uint8_t next[10];
  const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof next, tagEnd - at));
  cur.seek(at);
  if (!cur.read(next, n)) return false;
  if (std::all_of(next, next + n, [](std::uint8_t b) { return b == 0; })) return true;
  return n >= 4 && std::all_of(next, next + 4, isFrameIdByte);
}

// ID3v2.4 frame sizes are syncsafe (ID3v2.4 section 4), yet some writers stored plain
// 32-bit sizes there, as in ID3v2.3. The two readings agree below 128; above, the syncsafe
// one is kept when the frame then ends on a frame boundary, else the plain one when that
// one does. A size with a high bit set cannot be syncsafe and falls back to plain.
std::uint64_t v24FrameSize(Cursor& cur, const std::uint8_t* sizeBytes, std::uint64_t body,
                           std::uint64_t tagEnd) {
  const std::uint32_t plain = be32(sizeBytes);
  const std::uint32_t safe = syncsafe32(sizeBytes);
  if (plain == safe) return safe;
  if (isFrameBoundary(cur, body + safe, tagEnd)) return safe;
  if (isFrameBoundary(cur, body + plain, tagEnd)) return plain;
  const bool syncsafeBytes =
      ((sizeBytes[0] | sizeBytes[1] | sizeBytes[2] | sizeBytes[3]) & 0x80) == 0;
  return syncsafeBytes ? safe : plain;
}

// Zeros for this long are padding up to the tag's end: no writer puts a frame after a
// megabyte of padding, and a tag that claims 256 MiB of zeros must not cost a pass over
// them.
constexpr std::uint64_t kLongestPaddingScan = std::uint64_t{1} << 20;

// The offset of the first non-zero byte from `from` on, or the end of the tag (or of the
// file, when that comes first) when there is none.
std::uint64_t firstNonZeroByte(Cursor& cur, std::uint64_t from, std::uint64_t tagEnd) {
  static const std::uint8_t kZeros[4096] = {};
  const std::uint64_t end = std::min(tagEnd, cur.size());
  const std::uint64_t scanEnd = end - from > kLongestPaddingScan ? from + kLongestPaddingScan : end;
  std::uint8_t chunk[sizeof kZeros];
  cur.seek(from);
  for (std::uint64_t at = from; at < scanEnd;) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof chunk, scanEnd - at));
    if (!cur.read(chunk, n)) return end;
    if (std::memcmp(chunk, kZeros, n) != 0) {
      const std::uint8_t* hit = std::find_if(chunk, chunk + n, [](std::uint8_t b) { return b; });
      return at + static_cast<std::uint64_t>(hit - chunk);
    }
    at += n;
  }
  return end;
}

// Pictures: the bytes in front of the image are not parsed. The frame is taken to have an
// empty description and, in ID3v2.3/2.4, the MIME type image/png or image/jpeg; any other
// subtype is cut as if it were jpeg.
void readPicture(Source& body, bool v22, SongInfo& info) {
  if (!info.pictureWanted) return;
  Cursor cur(body);
  const std::uint64_t size = cur.size();
  // ID3v2.2 PIC: encoding, three-letter image format, picture type, the description's NUL.
  std::uint64_t prefix = 6;
  if (!v22) {
    // APIC: encoding, "image/", the subtype and its NUL, picture type, description's NUL.
    std::uint8_t subtype[3] = {};
    if (size >= 10) {
      cur.seek(7);
      cur.read(subtype, sizeof subtype);
    }
    prefix = compareBytes(subtype, "png", 3) == 0 ? 1 + 6 + 3 + 1 + 1 + 1 : 1 + 6 + 4 + 1 + 1 + 1;
  }
  if (size < prefix) {
    info.picture.clear();
    return;
  }
  cur.seek(prefix);
  info.picture = cur.bytes(size - prefix);
}

void readTextFrame(Source& body, const TextFrame& frame, SongInfo& info) {
  Cursor cur(body);
  const std::uint64_t n = cur.size();
  // Most text frames are short: decode those from the stack.
  std::uint8_t small[256];
  if (n <= sizeof small) {
    cur.read(small, static_cast<std::size_t>(n));
    info.*frame.field = decodeFrameText(small, static_cast<std::size_t>(n), frame.language);
  } else {
    info.*frame.field = decodeFrameText(cur.bytes(n), frame.language);
  }
}

// How the tag is laid out, from its header.
struct TagLayout {
  bool v22;
  bool v24;
  bool unsynchronised;  // the header's flag
};

// Reads a frame the record keeps; `tag` holds the tag's bytes after its header (restored
// when the whole tag was unsynchronised) and the frame's body starts at `body`.
void readFrame(Source& tag, const std::uint8_t* header, const TagLayout& layout, std::uint64_t body,
               std::uint64_t size, SongInfo& info) {
  const std::size_t idSize = layout.v22 ? 3 : 4;
  const TextFrame* text = nullptr;
  for (const auto& frame : kTextFrames) {
    if (compareBytes(header, layout.v22 ? frame.id22 : frame.id, idSize) == 0) {
      text = &frame;
      break;
    }
  }
  if (!text && compareBytes(header, layout.v22 ? "PIC" : "APIC", idSize) != 0) return;

  bool unsynchronised = false;
  if (layout.v24) {
    // The frame size counts a data length indicator (four syncsafe bytes) in front of the
    // data; unsynchronisation covers the data after the frame header, either frame by frame
    // or, when the tag header says so, in every frame.
    if (header[9] & kFrameDataLengthIndicator) {
      const std::uint64_t indicator = std::min<std::uint64_t>(4, size);
      body += indicator;
      size -= indicator;
    }
    unsynchronised = layout.unsynchronised || (header[9] & kFrameUnsynchronised);
  }
  SliceSource stored(tag, body, size);
  if (stored.size() > (text ? kMaxTextBytes : kMaxPictureBytes)) return;
  const auto readBody = [&](Source& bytes) {
    if (text)
      readTextFrame(bytes, *text, info);
    else
      readPicture(bytes, layout.v22, info);
  };
  if (unsynchronised) {
    UnsyncSource restored(stored);
    readBody(restored);
  } else {
    readBody(stored);
  }
}

std::string decodeUtf16(const std::uint8_t* p, std::size_t size, bool bigEndian) {
  std::u16string units;
  units.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const std::uint16_t u = bigEndian ? be16(p + i) : le16(p + i);
    // Every string of an ID3v2.3 frame may start with its own byte-order mark; U+FFFE is a
    // noncharacter, so seeing it means the mark of the other byte order.
    if (u == 0xFFFE) {
      bigEndian = !bigEndian;
      continue;
    }
    // NUL units end a description or the frame; the texts around them join.
    if (u == 0xFEFF || u == 0) continue;
    units.push_back(static_cast<char16_t>(u));
  }
  return platform::wideToLocal(units);
}

}  // namespace

std::string decodeFrameText(const std::uint8_t* body, std::size_t size, LanguageField language) {
  if (size == 0) return {};
  const std::uint8_t encoding = body[0];
  // After the encoding byte: the three language letters, when the frame has them.
  std::size_t start = std::min<std::size_t>(language == LanguageField::present ? 4 : 1, size);
  const std::uint8_t* p = body + start;
  const std::size_t n = size - start;
  switch (encoding) {
    case 0: {
      // Local text as it stands; the NUL after a description goes, joining it to the text.
      std::string out;
      out.reserve(n);
      for (std::size_t i = 0; i < n; ++i)
        if (p[i] != 0) out.push_back(static_cast<char>(p[i]));
      return out;
    }
    case 1:  // UTF-16 with byte-order marks; a string without one is taken as little-endian
      return decodeUtf16(p, n, false);
    case 2:  // UTF-16BE, by ID3v2.4 without byte-order mark
      return decodeUtf16(p, n, true);
    case 3:
      // UTF-8 up to its first NUL: an empty description is stepped over, a non-empty one is
      // all that comes through.
      if (language == LanguageField::present && n > 0 && p[0] == 0)
        return utf8ToLocal(p + 1, n - 1);
      return utf8ToLocal(p, n);
    default:
      return {};
  }
}

std::string decodeFrameText(const std::vector<std::uint8_t>& body, LanguageField language) {
  return decodeFrameText(body.data(), body.size(), language);
}

bool readId3v2(const std::string& path, SongInfo& info) {
  FileSource source(path);
  return readId3v2(source, info);
}

namespace {

// Where the first frame starts in `tag` (the bytes after the tag header): after the
// extended header when the flags announce one. ID3v2.3 gives its size without its own four
// size bytes, ID3v2.4 as a syncsafe number counting the whole header. False when the
// extended header does not fit the tag, which then holds no frames.
bool firstFrameOffset(Cursor& cur, const TagLayout& layout, std::uint8_t flags,
                      std::uint64_t& offset) {
  offset = 0;
  if (layout.v22 || !(flags & kTagExtendedHeader)) return true;
  std::uint8_t sizeBytes[4];
  cur.seek(0);
  if (!cur.read(sizeBytes, sizeof sizeBytes)) return false;
  const std::uint64_t length =
      layout.v24 ? std::uint64_t{syncsafe32(sizeBytes)} : 4 + std::uint64_t{be32(sizeBytes)};
  if (layout.v24 && length < kMinExtendedHeader24) return false;
  if (length > cur.size()) return false;
  offset = length;
  return true;
}

void readFrames(Source& tag, const TagLayout& layout, std::uint8_t flags, SongInfo& info) {
  Cursor cur(tag);
  const std::size_t frameHeaderSize = layout.v22 ? 6 : 10;
  const std::uint64_t tagEnd = cur.size();
  std::uint64_t pos;
  if (!firstFrameOffset(cur, layout, flags, pos)) return;

  // Frame by frame while the position is inside the tag. Every step moves on by a whole
  // header at least and a header must be read in full, so the walk ends at the tag's end
  // (or the file's, for a tag that claims to go on beyond it).
  while (pos < tagEnd) {
    std::uint8_t frameHeader[10];
    cur.seek(pos);
    if (!cur.read(frameHeader, frameHeaderSize)) break;
    if (frameHeader[0] == 0) {
      // Padding. Headers wholly inside a run of zeros have a NUL id and size 0, so they are
      // stepped over at once; when the zeros last to the tag's end no frame can follow.
      const std::uint64_t nonZero = firstNonZeroByte(cur, pos, tagEnd);
      if (nonZero >= tagEnd) break;
      const std::uint64_t emptyHeaders = (nonZero - pos) / frameHeaderSize;
      if (emptyHeaders > 0) {
        pos += emptyHeaders * frameHeaderSize;
        continue;
      }
    }
    const std::uint64_t body = pos + frameHeaderSize;
    std::uint64_t size;
    if (layout.v22)
      size = be24(frameHeader + 3);
    else if (layout.v24)
      size = v24FrameSize(cur, frameHeader + 4, body, tagEnd);
    else
      size = be32(frameHeader + 4);
    // A frame claiming more than the tag holds ends with the tag.
    size = std::min(size, tagEnd - body);
    if (size != 0) readFrame(tag, frameHeader, layout, body, size, info);
    pos = body + size;
  }
}

}  // namespace

bool readId3v2(Source& source, SongInfo& info) {
  if (!source.isOpen()) return false;
  std::uint8_t header[kTagHeaderSize] = {};
  source.readAt(0, header, sizeof header);  // a file shorter than the header reads zeros
  if (compareBytes(header, "ID3", 3) != 0) return false;

  const std::uint8_t major = header[3];
  const std::uint8_t flags = header[5];
  const TagLayout layout{major < 3, major == 4, (flags & kTagUnsynchronised) != 0};
  // The frames lie inside the tag: the file beyond it is out of their reach.
  SliceSource tag(source, kTagHeaderSize, syncsafe32(header + 6));
  if (layout.unsynchronised && !layout.v24) {
    // ID3v2.2 and 2.3 unsynchronise the tag as a whole: frame sizes count the bytes
    // restored, so they are restored before the walk.
    UnsyncSource restored(tag);
    readFrames(restored, layout, flags, info);
  } else {
    readFrames(tag, layout, flags, info);
  }
  return true;
}

}  // namespace tags
