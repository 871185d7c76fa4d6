// The upload of a recording through the system's WinHTTP request object, created by its
// ProgID and driven through IDispatch (mingw ships no header for its interface).
#pragma once

#include <cstdint>
#include <string>

namespace lookup {

// Bounds of one upload. The request object's resolve time-out is infinite by default,
// which could hold the window for ever; with these a dead or silent network gives up
// within about a minute.
struct UploadTimeouts {
  int resolveMs = 5000;  // the request object's own time-outs, in milliseconds
  int connectMs = 5000;
  int sendMs = 30000;
  int receiveMs = 30000;
  int responseSeconds = 60;  // the whole exchange, from the send to the end of the reply
};

// POSTs the whole file at `path` to speechAddress() with speechContentType(rate), waits
// for the reply and returns its text in local text; empty on any failure (no request
// object, no connection, a time-out, an unreadable file).
std::string uploadRecording(const std::string& path, std::uint32_t samplesPerSecond,
                            const UploadTimeouts& timeouts = UploadTimeouts());

}  // namespace lookup
