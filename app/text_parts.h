// Splitting local text into parts at a separator, the one way the shell cuts its joined
// texts (the command line at "/", delivered path lists at "\r\n").
#pragma once

#include <string>
#include <vector>

namespace app {

// The parts of `text` between occurrences of `separator` (ASCII, not empty). An empty part
// before the first separator or between two of them counts; an empty part after the last
// one does not, so the empty text gives no part at all. The separator is only looked for
// at character starts: a double-byte character whose second byte equals the separator's
// first (0x5C "\\" can be a GBK trail byte) is never cut.
std::vector<std::string> splitParts(const std::string& text, const std::string& separator);

}  // namespace app
