// Reader of Ogg Vorbis files: the identification and comment headers of the first pages and
// the granule position of the last page.
#include "tags/ogg.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/text.h"
#include "tags/cursor.h"
#include "tags/vorbis_comment.h"

namespace tags {

namespace {

constexpr std::uint8_t kCapture[4] = {'O', 'g', 'g', 'S'};
constexpr std::uint8_t kIdentificationHeader[7] = {1, 'v', 'o', 'r', 'b', 'i', 's'};
constexpr std::uint8_t kCommentHeader[7] = {3, 'v', 'o', 'r', 'b', 'i', 's'};
constexpr std::size_t kPageHeader = 27;  // up to the segment table
constexpr std::size_t kIdentificationPacket = 30;

// The last page is looked for in this many four-byte windows, one byte apart, ending four
// bytes before the end of the file; a last page further back is not found.
constexpr std::uint64_t kScanWindows = 12500;

const VorbisField kOggFields[] = {
    {"TITLE", &SongInfo::title},
    {"ARTIST", &SongInfo::artist},
    {"ALBUM", &SongInfo::album},
    {"TRACKNUMBER", &SongInfo::track},
    {"DATE", &SongInfo::year},
    {"GENRE", &SongInfo::genre},
    {"COMMENT", &SongInfo::comment},
    {"PERFORMER", &SongInfo::performer},
    {"DESCRIPTION", &SongInfo::description},
    {"LYRICS", &SongInfo::lyrics},
};

const std::string& channelWord(unsigned channels) {
  static const std::string words[] = {
      platform::utf8ToLocal("未知"),   platform::utf8ToLocal("单声道"),
      platform::utf8ToLocal("立体声"), platform::utf8ToLocal("3通道"),
      platform::utf8ToLocal("4通道"),  platform::utf8ToLocal("5.1通道"),  // five, not six
  };
  return channels < sizeof words / sizeof words[0] ? words[channels] : words[0];
}

// One Ogg packet read across the pages it spans (RFC 3533): page headers and segment tables
// are stepped over, and the packet ends with its first segment shorter than 255 bytes. A
// comment header carrying a cover picture spans many pages.
class OggPacketRun : public ByteRun {
 public:
  // The cursor stands at the start of the page the packet begins on.
  explicit OggPacketRun(Cursor& cursor) : cursor_(cursor) {
    if (!loadPage(true)) continues_ = false;
  }

  std::size_t read(std::uint8_t* out, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      if (segmentLeft_ == 0) {
        if (!nextSegment()) break;
        continue;
      }
      const std::size_t take = static_cast<std::size_t>(
          std::min<std::uint64_t>({n - done, segmentLeft_, cursor_.remaining()}));
      if (take == 0) {  // the file ends inside the packet
        segmentLeft_ = 0;
        continues_ = false;
        break;
      }
      cursor_.read(out + done, take);
      done += take;
      segmentLeft_ -= static_cast<std::uint32_t>(take);
    }
    return done;
  }

  void skip(std::uint64_t n) override {
    while (n > 0) {
      if (segmentLeft_ == 0) {
        if (!nextSegment()) return;
        continue;
      }
      const std::uint64_t take = std::min<std::uint64_t>({n, segmentLeft_, cursor_.remaining()});
      if (take == 0) {
        segmentLeft_ = 0;
        continues_ = false;
        return;
      }
      cursor_.skip(take);
      n -= take;
      segmentLeft_ -= static_cast<std::uint32_t>(take);
    }
  }

  std::uint64_t bound() const override { return cursor_.remaining(); }

 private:
  // Reads a page header and its segment table. The first page is taken where it stands; a
  // page the packet continues on must be the next page of the same stream, marked as
  // continuing a packet, or the packet ends where it was cut.
  bool loadPage(bool first) {
    if (cursor_.remaining() < kPageHeader) return false;
    std::uint8_t header[kPageHeader];
    cursor_.read(header, kPageHeader);
    const std::uint32_t serial = le32(header + 14);
    if (first) {
      serial_ = serial;
    } else if (compareBytes(header, kCapture, 4) != 0 || serial != serial_ ||
               (header[5] & 1) == 0) {
      return false;
    }
    segments_ = header[26];
    cursor_.read(lacing_, segments_);  // a table cut short by the file's end reads as zeros
    nextSegment_ = 0;
    return true;
  }

  bool nextSegment() {
    if (!continues_) return false;
    while (nextSegment_ == segments_) {
      if (!loadPage(false)) {
        continues_ = false;
        return false;
      }
    }
    segmentLeft_ = lacing_[nextSegment_++];
    continues_ = segmentLeft_ == 255;
    return true;
  }

  Cursor& cursor_;
  std::uint8_t lacing_[255] = {};
  std::size_t segments_ = 0;
  std::size_t nextSegment_ = 0;
  std::uint32_t segmentLeft_ = 0;
  bool continues_ = true;  // the last segment taken was 255 bytes: the packet goes on
  std::uint32_t serial_ = 0;
};

// The granule position of the last page that ends the stream (header type exactly 4: end of
// stream, neither first page nor continued packet), as a signed 32-bit number; 0 when none
// is found. The windows are scanned in one read of the file's tail.
std::int32_t lastGranule(Cursor& cursor) {
  const std::uint64_t size = cursor.size();
  const std::uint64_t span = std::min<std::uint64_t>(size, kScanWindows + 4);
  std::vector<std::uint8_t> tail(static_cast<std::size_t>(span));
  cursor.seek(size - span);
  if (span > 0) cursor.read(tail.data(), tail.size());
  // Window i (from 1) starts i + 4 bytes before the end of the file.
  for (std::uint64_t i = 1; i <= kScanWindows && i + 4 <= span; ++i) {
    const std::size_t at = static_cast<std::size_t>(span - (i + 4));
    if (tail[at] != 'O' || compareBytes(tail.data() + at, kCapture, 4) != 0) continue;
    const std::uint8_t flags = at + 5 < span ? tail[at + 5] : 0;
    if (flags != 4) continue;
    // Bytes past the end of the file read as zero.
    std::uint8_t granule[8] = {};
    for (std::size_t k = 0; k < 8 && at + 6 + k < span; ++k) granule[k] = tail[at + 6 + k];
    return static_cast<std::int32_t>(le32(granule));
  }
  return 0;
}

// Duration and average bit rate (kbit/s over the whole file, headers included).
void setStreamFacts(std::int32_t granule, std::int32_t sampleRate, std::uint64_t fileSize,
                    SongInfo& info) {
  if (granule > 0) info.duration = sampleRate > 0 ? formatDuration(granule / sampleRate) : "0";
  if (sampleRate == 0) {
    // The play time in milliseconds is then taken as infinitely large.
    if (granule > 0) info.bitRate = "0";
    return;
  }
  const double ms = std::round(static_cast<double>(granule) / sampleRate * 1000.0);
  if (ms > 0)
    info.bitRate =
        std::to_string(std::llround(static_cast<double>(fileSize) / ms / 125.0 * 1000.0));
}

}  // namespace

bool readOggInfo(const std::string& path, SongInfo& info) {
  return readExistingFile(path, info, &readOggInfo);
}

bool readOggInfo(Source& source, SongInfo& info) {
  if (!source.isOpen()) return false;
  resetSongInfo(info);
  Cursor cursor(source);
  std::uint8_t bytes[7];
  cursor.read(bytes, 4);
  if (compareBytes(bytes, kCapture, 4) != 0) return false;

  std::int32_t sampleRate = 0;
  cursor.seek(26);
  cursor.skip(cursor.u8());  // the first page's segment table
  cursor.read(bytes, 7);
  if (compareBytes(bytes, kIdentificationHeader, 7) == 0) {
    // Vorbis I: the 30-byte identification packet fills the first page alone, so the second
    // page starts right after it.
    const std::uint64_t secondPage = cursor.tell() - 7 + kIdentificationPacket;
    cursor.skip(4);  // Vorbis version
    info.channels = channelWord(cursor.u8());
    sampleRate = static_cast<std::int32_t>(cursor.le32());
    info.sampleRate = std::to_string(sampleRate);

    cursor.seek(secondPage);
    OggPacketRun packet(cursor);
    if (packet.read(bytes, 7) == 7 && compareBytes(bytes, kCommentHeader, 7) == 0) {
      const std::string vendor =
          readVorbisComments(packet, kOggFields, sizeof kOggFields / sizeof kOggFields[0],
                             VorbisValue::toNextEquals, info);
      info.encoder = "Vorbis(" + vendor + ")";
    }
  }

  setStreamFacts(lastGranule(cursor), sampleRate, cursor.size(), info);
  return true;
}

}  // namespace tags
