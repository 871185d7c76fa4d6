// libFuzzer entry points over memory, one per reader and one for the whole dispatch.
// Built once per reader with LYRIVANE_FUZZ_CALL naming the reader to call, and once with
// LYRIVANE_FUZZ_DISPATCH for the dispatcher.
#include <cstddef>
#include <cstdint>

#include "tags/ape.h"
#include "tags/flac.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/mpeg.h"
#include "tags/ogg.h"
#include "tags/song_info.h"
#include "tags/source.h"
#include "tags/wma.h"

namespace {

#ifdef LYRIVANE_FUZZ_DISPATCH
// The dispatch target spends the first byte on the kind of song, so one corpus covers the
// five reading sequences.
void readAsSong(const std::uint8_t* data, std::size_t size, tags::SongInfo& info) {
  if (size == 0) return;
  static const tags::SongKind kinds[] = {tags::SongKind::mp3, tags::SongKind::wma,
                                         tags::SongKind::ape, tags::SongKind::ogg,
                                         tags::SongKind::flac};
  tags::MemorySource source(data + 1, size - 1);
  tags::readSongKind(kinds[data[0] % 5], source, info);
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tags::SongInfo info;
#ifdef LYRIVANE_FUZZ_DISPATCH
  readAsSong(data, size, info);
#else
  tags::MemorySource source(data, size);
  LYRIVANE_FUZZ_CALL(source, info);
#endif
  return 0;
}
