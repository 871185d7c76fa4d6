// Reader of the ID3v2 tag at the start of a file (ID3v2.2, 2.3 and 2.4).
//
// The tag is walked frame by frame through the cursor from offset 10 on; neither an
// extended header nor unsynchronisation is recognised. Only the frames the record keeps are
// read, everything else is stepped over, so a tag costs its headers plus the bodies kept.
#include "tags/id3v2.h"

#include <algorithm>

#include "platform/text.h"
#include "tags/bytes.h"
#include "tags/cursor.h"

namespace tags {

namespace {

constexpr std::uint64_t kTagHeaderSize = 10;

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

// The offset of the first non-zero byte from `from` on, or the end of the tag (or of the
// file, when that comes first) when there is none.
std::uint64_t firstNonZeroByte(Cursor& cur, std::uint64_t from, std::uint64_t tagEnd) {
  const std::uint64_t end = std::min(tagEnd, cur.size());
  std::uint8_t chunk[4096];
  cur.seek(from);
  for (std::uint64_t at = from; at < end;) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof chunk, end - at));
    if (!cur.read(chunk, n)) return end;
    const std::uint8_t* hit = std::find_if(chunk, chunk + n, [](std::uint8_t b) { return b; });
    if (hit != chunk + n) return at + static_cast<std::uint64_t>(hit - chunk);
    at += n;
  }
  return end;
}

// Pictures: the bytes in front of the image are not parsed. The frame is taken to have an
// empty description and, in ID3v2.3/2.4, the MIME type image/png or image/jpeg; any other
// subtype is cut as if it were jpeg.
void readPicture(Cursor& cur, bool v22, std::uint64_t body, std::uint64_t size, SongInfo& info) {
  // ID3v2.2 PIC: encoding, three-letter image format, picture type, the description's NUL.
  std::uint64_t prefix = 6;
  if (!v22) {
    // APIC: encoding, "image/", the subtype and its NUL, picture type, description's NUL.
    std::uint8_t subtype[3] = {};
    if (size >= 10) {
      cur.seek(body + 7);
      cur.read(subtype, sizeof subtype);
    }
    prefix = compareBytes(subtype, "png", 3) == 0 ? 1 + 6 + 3 + 1 + 1 + 1 : 1 + 6 + 4 + 1 + 1 + 1;
  }
  if (size < prefix) {
    info.picture.clear();
    return;
  }
  cur.seek(body + prefix);
  info.picture = cur.bytes(size - prefix);
}

void readTextFrame(Cursor& cur, const TextFrame& frame, std::uint64_t body, std::uint64_t size,
                   SongInfo& info) {
  cur.seek(body);
  const std::uint64_t n = std::min(size, cur.remaining());
  // Most text frames are short: decode those from the stack.
  std::uint8_t small[256];
  if (n <= sizeof small) {
    cur.read(small, static_cast<std::size_t>(n));
    info.*frame.field = decodeFrameText(small, static_cast<std::size_t>(n), frame.language);
  } else {
    info.*frame.field = decodeFrameText(cur.bytes(n), frame.language);
  }
}

void readFrame(Cursor& cur, const std::uint8_t* header, bool v22, std::uint64_t body,
               std::uint64_t size, SongInfo& info) {
  const std::size_t idSize = v22 ? 3 : 4;
  for (const auto& frame : kTextFrames) {
    if (compareBytes(header, v22 ? frame.id22 : frame.id, idSize) == 0) {
      readTextFrame(cur, frame, body, size, info);
      return;
    }
  }
  if (compareBytes(header, v22 ? "PIC" : "APIC", idSize) == 0)
    readPicture(cur, v22, body, size, info);
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

bool readId3v2(Source& source, SongInfo& info) {
  if (!source.isOpen()) return false;
  Cursor cur(source);
  std::uint8_t header[kTagHeaderSize];
  cur.read(header, sizeof header);  // a file shorter than the header reads zeros after it
  if (compareBytes(header, "ID3", 3) != 0) return false;

  const std::uint8_t major = header[3];
  const bool v22 = major < 3;
  const std::size_t frameHeaderSize = v22 ? 6 : 10;
  const std::uint64_t tagEnd = kTagHeaderSize + syncsafe32(header + 6);

  // At least one frame, then on while the position is inside the tag. Every step moves on by
  // a whole header at least and a header must be read in full, so the walk ends at the end
  // of the file even when the tag claims to go on beyond it.
  std::uint64_t pos = kTagHeaderSize;
  do {
    std::uint8_t frameHeader[10];
    cur.seek(pos);
    if (!cur.read(frameHeader, frameHeaderSize)) break;
    if (frameHeader[0] == 0) {
      // Padding. Headers wholly inside a run of zeros have a NUL id and size 0, so they are
      // stepped over at once; when the zeros last to the tag's end no frame can follow.
      const std::uint64_t nonZero = firstNonZeroByte(cur, pos, tagEnd);
      if (nonZero >= std::min(tagEnd, cur.size())) break;
      const std::uint64_t emptyHeaders = (nonZero - pos) / frameHeaderSize;
      if (emptyHeaders > 0) {
        pos += emptyHeaders * frameHeaderSize;
        continue;
      }
    }
    const std::uint64_t body = pos + frameHeaderSize;
    std::uint64_t size;
    if (v22)
      size = be24(frameHeader + 3);
    else if (major == 4)
      size = v24FrameSize(cur, frameHeader + 4, body, tagEnd);
    else
      size = be32(frameHeader + 4);
    if (size != 0) readFrame(cur, frameHeader, v22, body, size, info);
    pos = body + std::min(size, cur.size() - body);
  } while (pos < tagEnd);
  return true;
}

}  // namespace tags
