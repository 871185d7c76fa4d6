// Speech input: where a recording is posted for recognition, how it is labelled, the cuts
// that take the recognised words out of the service's JSON reply, and the texts the lyrics
// window shows meanwhile. Everything here is local text.
//
// The Windows program records with the recorder (lookup/recorder_win.h), posts the saved
// file with uploadRecording (lookup/speech_upload_win.h) and shows speechResult() of the
// reply; `lyrivane recognize` posts a file with postRecording().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lookup/http_fetch.h"

namespace lookup {

// Texts of the speech button and the lyrics box.
const std::string& speechIdleCaption();       // "语音"
const std::string& speechRecordingCaption();  // "停止"
const std::string& speechPromptText();        // " 请长官讲话"
const std::string& speechBusyText();          // " 正在识别中 请稍后..."
const std::string& speechFailedText();        // " 报告长官识别失败"

// LYRIVANE_SPEECH_HOST ("host" or "host:port") when set and not empty, else the public
// service's host.
std::string speechHost();

// "http://", the host, then the recognition path and query.
std::string speechAddress();

// "audio/L16; rate=" and the sample rate in decimal.
std::string speechContentType(std::uint32_t samplesPerSecond);

// The first utterance of the first hypothesis list: the reply's first "[" ... "]" part, and
// within it the text between "utterance\":\"" and "\",\"confidence". Empty when the reply
// holds none. No JSON parsing or unescaping: the words are taken as the service wrote them.
std::string replyUtterance(const std::string& reply);

// What the lyrics box shows for a reply: speechFailedText() when the reply has no
// "[" ... "]" part or nothing between the brackets, else replyUtterance() (which may be
// empty). An empty reply, as a failed upload leaves, gives speechFailedText().
std::string speechResult(const std::string& reply);

// A reply body as local text: the service answers JSON, which is UTF-8 (RFC 8259).
std::string replyText(const std::vector<std::uint8_t>& body);

// Posts a whole WAVE file (header included) to speechAddress() with its content type,
// bounded by HttpFetch's default limits.
FetchResult postRecording(const std::vector<std::uint8_t>& waveBytes,
                          std::uint32_t samplesPerSecond);

}  // namespace lookup
