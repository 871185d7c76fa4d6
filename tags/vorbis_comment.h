// Vorbis comment lists, shared by the Ogg Vorbis comment header and FLAC's VORBIS_COMMENT
// block: a vendor string, then NAME=value comments whose names are matched to SongInfo fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tags/cursor.h"
#include "tags/song_info.h"

namespace tags {

// The bytes a comment list is read from, front to back: a FLAC metadata block inside the
// file, or an Ogg packet gathered from the segments of its pages.
class ByteRun {
 public:
  virtual ~ByteRun() = default;
  // Copies up to n bytes; returns how many (fewer only at the end of the run).
  virtual std::size_t read(std::uint8_t* out, std::size_t n) = 0;
  // Passes over up to n bytes.
  virtual void skip(std::uint64_t n) = 0;
  // No more than this many bytes are left; lengths read from the run are clamped to it, so
  // nothing is ever allocated beyond what the file holds.
  virtual std::uint64_t bound() const = 0;
};

// The bytes of the file from the cursor's position up to `end` (a metadata block's end).
class CursorRun : public ByteRun {
 public:
  CursorRun(Cursor& cursor, std::uint64_t end) : cursor_(cursor), end_(end) {}
  std::size_t read(std::uint8_t* out, std::size_t n) override;
  void skip(std::uint64_t n) override;
  std::uint64_t bound() const override;

 private:
  Cursor& cursor_;
  std::uint64_t end_;
};

// A comment name (ASCII, compared ignoring case as the Vorbis comment format defines names)
// and the field its value fills.
struct VorbisField {
  const char* name;
  std::string SongInfo::*member;
};

// Where a comment's value ends.
enum class VorbisValue {
  // At the next "=" (so "ARTIST=A=B" gives "A"); an empty value changes nothing.
  toNextEquals,
  // At the end of the comment (so "TITLE=a=b" gives "a=b"); an empty value is stored.
  toEnd,
};

// Reads the vendor length, vendor string, comment count and comments from `run`, storing
// each comment whose name is in `fields` (UTF-8 value, as local text) in file order, so the
// last of several comments for one field wins. The list ends with the run whatever its count
// says; a comment or vendor string of more than kMaxTextBytes is passed over. Returns the
// vendor string's bytes up to their first NUL, undecoded.
std::string readVorbisComments(ByteRun& run, const VorbisField* fields, std::size_t fieldCount,
                               VorbisValue valueEnd, SongInfo& info);

}  // namespace tags
