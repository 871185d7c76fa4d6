// The append-only durable file on Windows: FILE_APPEND_DATA writes, each followed by
// FlushFileBuffers, which also commits the file's directory entry on NTFS.
#include <windows.h>

#include "platform/durable_file.h"

namespace platform {

bool DurableAppendFile::open(const std::string& path) {
  close();
  HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(h);
  return true;
}

void DurableAppendFile::close() {
  if (handle_ != kClosed) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kClosed;
}

bool DurableAppendFile::append(const std::string& bytes) {
  if (handle_ == kClosed) return false;
  HANDLE h = reinterpret_cast<HANDLE>(handle_);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t want = bytes.size() - done;
    const DWORD chunk = want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want);
    DWORD wrote = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return FlushFileBuffers(h) != 0;
}

}  // namespace platform
