// Vorbis comment lists: vendor string, comment count and NAME=value comments.
#include "tags/vorbis_comment.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tags/field_limits.h"

namespace tags {

std::size_t CursorRun::read(std::uint8_t* out, std::size_t n) {
  const std::uint64_t left = bound();
  const std::size_t take = n < left ? n : static_cast<std::size_t>(left);
  if (take > 0) cursor_.read(out, take);
  return take;
}

void CursorRun::skip(std::uint64_t n) { cursor_.skip(std::min(n, bound())); }

std::uint64_t CursorRun::bound() const {
  const std::uint64_t pos = cursor_.tell();
  const std::uint64_t end = std::min(end_, cursor_.size());
  return pos < end ? end - pos : 0;
}

namespace {

// Every name in the readers' tables is shorter than this; a comment whose first bytes hold
// neither "=" nor NUL cannot name a field, and is passed over without being copied (cover
// pictures travel as comments of hundreds of kilobytes).
constexpr std::size_t kNameProbe = 32;

bool sameNameIgnoringCase(const std::uint8_t* name, std::size_t n, const char* known) {
  if (std::strlen(known) != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    auto a = static_cast<unsigned char>(name[i]);
    auto b = static_cast<unsigned char>(known[i]);
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

const VorbisField* findField(const std::uint8_t* name, std::size_t n, const VorbisField* fields,
                             std::size_t fieldCount) {
  if (n == 0) return nullptr;
  for (std::size_t i = 0; i < fieldCount; ++i)
    if (sameNameIgnoringCase(name, n, fields[i].name)) return &fields[i];
  return nullptr;
}

// Reads `n` bytes, or fewer when the run ends first, into `out`. The bytes are gathered a
// chunk at a time, so what is held is what the run really gave: an Ogg packet's length is
// unknown until its last page, and a claimed length is no reason to reserve memory. More
// than kMaxTextBytes is not kept: the rest is passed over and false returned.
bool readCapped(ByteRun& run, std::uint64_t n, std::vector<std::uint8_t>& out) {
  constexpr std::size_t kChunk = 64 * 1024;
  n = std::min(n, run.bound());
  while (n > 0 && out.size() <= kMaxTextBytes) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(n, kChunk));
    const std::size_t at = out.size();
    out.resize(at + want);
    const std::size_t got = run.read(out.data() + at, want);
    out.resize(at + got);
    n = got < want ? 0 : n - got;  // a short read: the run has ended
  }
  if (out.size() <= kMaxTextBytes) return true;
  run.skip(n);
  out.clear();
  return false;
}

// One comment of `length` bytes: the name is the text (up to a NUL) before the first "=".
void readComment(ByteRun& run, std::uint64_t length, const VorbisField* fields,
                 std::size_t fieldCount, VorbisValue valueEnd, SongInfo& info) {
  std::uint8_t head[kNameProbe];
  const std::size_t headLength =
      run.read(head, static_cast<std::size_t>(std::min<std::uint64_t>(length, kNameProbe)));
  const std::uint8_t* headEnd = head + headLength;
  const std::uint8_t* nameEnd = std::find_if(static_cast<const std::uint8_t*>(head), headEnd,
                                             [](std::uint8_t b) { return b == '=' || b == 0; });
  const VorbisField* field =
      nameEnd == headEnd
          ? nullptr
          : findField(head, static_cast<std::size_t>(nameEnd - head), fields, fieldCount);
  if (!field) {
    run.skip(length - headLength);
    return;
  }

  std::vector<std::uint8_t> comment(head, head + headLength);
  if (!readCapped(run, length - headLength, comment)) return;
  const auto equals = std::find(comment.begin(), comment.end(), '=');
  if (equals == comment.end()) return;  // a NUL ended the name, but no value follows
  const auto valueBegin = equals + 1;
  const auto valueStop = valueEnd == VorbisValue::toNextEquals
                             ? std::find(valueBegin, comment.end(), '=')
                             : comment.end();
  if (valueEnd == VorbisValue::toNextEquals && valueBegin == valueStop) return;
  info.*field->member = utf8ToLocal(comment.data() + (valueBegin - comment.begin()),
                                    static_cast<std::size_t>(valueStop - valueBegin));
}

}  // namespace

std::string readVorbisComments(ByteRun& run, const VorbisField* fields, std::size_t fieldCount,
                               VorbisValue valueEnd, SongInfo& info) {
  std::uint8_t word[4] = {0, 0, 0, 0};
  run.read(word, 4);
  std::vector<std::uint8_t> vendorBytes;
  readCapped(run, le32(word), vendorBytes);
  const auto vendorEnd = std::find(vendorBytes.begin(), vendorBytes.end(), 0);
  std::string vendor(vendorBytes.begin(), vendorEnd);

  std::fill(word, word + 4, 0);
  run.read(word, 4);
  const std::uint32_t count = le32(word);
  for (std::uint32_t i = 0; i < count; ++i) {
    // A count past the end of the data ends with the data: each comment costs at least the
    // four bytes of its length.
    if (run.read(word, 4) < 4) break;
    readComment(run, le32(word), fields, fieldCount, valueEnd, info);
  }
  return vendor;
}

}  // namespace tags
