// Files on Windows, through the ...A calls so paths stay in the ANSI code page.
#include <windows.h>

#include "platform/file.h"
#include "platform/text.h"
#include "platform/utf.h"

namespace platform {

namespace {
HANDLE asHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

bool ReadOnlyFile::open(const std::string& path) {
  close();
  // FILE_SHARE_READ only: other readers are welcome, writers are refused while we read.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size)) {
    CloseHandle(h);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  size_ = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

void ReadOnlyFile::close() {
  if (handle_ != kClosed) CloseHandle(asHandle(handle_));
  handle_ = kClosed;
  size_ = 0;
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, void* out, std::size_t n) const {
  if (handle_ == kClosed || offset >= size_) return 0;
  // Asking for bytes past the end would cost a system call that can only return nothing.
  if (n > size_ - offset) n = static_cast<std::size_t>(size_ - offset);
  std::size_t done = 0;
  auto* dst = static_cast<char*>(out);
  while (done < n) {
    OVERLAPPED at{};
    const std::uint64_t pos = offset + done;
    at.Offset = static_cast<DWORD>(pos & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(pos >> 32);
    const std::size_t want = n - done;
    const DWORD chunk = want > 0x40000000u ? 0x40000000u : static_cast<DWORD>(want);
    DWORD got = 0;
    if (!ReadFile(asHandle(handle_), dst + done, chunk, &got, &at) || got == 0) break;
    done += got;
  }
  return done;
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::int64_t fileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

MoveResult moveFileNoReplace(const std::string& from, const std::string& to) {
  // MoveFileA without MOVEFILE_REPLACE_EXISTING never replaces the target.
  if (MoveFileA(from.c_str(), to.c_str())) return MoveResult::moved;
  switch (GetLastError()) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return MoveResult::targetExists;
    case ERROR_FILE_NOT_FOUND:
      return MoveResult::sourceMissing;
    case ERROR_INVALID_NAME:  // a name holding one of  " * : < > ? |  or a control character
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return MoveResult::invalidName;
    default:
      return MoveResult::failed;
  }
}

std::string systemPath(const std::string& path) { return encodeUtf8(localToWide(path)); }

std::string tempFolder() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  if (n == 0 || n > MAX_PATH) return "C:\\";
  return std::string(buf, n);
}

}  // namespace platform
