// Keeping windows alive during long work on the GUI thread (the rename run's pauses, a
// fetch that waits for its worker).
#pragma once

namespace platform {

// Dispatches every pending window message of this thread. Returns false when a quit request
// was among them: it is posted again, so the program's own message loop still sees it, and
// the caller should stop its work.
bool processPendingMessages();

}  // namespace platform
