// Files: song files opened for reading only (other writers excluded while open), sizes,
// existence, the rename that never replaces a file, and the temporary folder.
// Every path is local text; the platform half converts it at the OS boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  explicit ReadOnlyFile(const std::string& path) { open(path); }
  ~ReadOnlyFile() { close(); }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Opens an existing file for reading. On Windows other processes may read but not write
  // it while it is open.
  bool open(const std::string& path);
  void close();
  bool isOpen() const { return handle_ != kClosed; }
  std::uint64_t size() const { return size_; }

  // Reads up to n bytes at offset; returns how many were read (fewer at the end).
  std::size_t readAt(std::uint64_t offset, void* out, std::size_t n) const;

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
  std::uint64_t size_ = 0;
};

bool fileExists(const std::string& path);

// Size in bytes, or -1 when the file is missing or cannot be examined.
std::int64_t fileSize(const std::string& path);

enum class MoveResult { moved, targetExists, sourceMissing, invalidName, failed };

// Moves (renames) a file. Never replaces an existing file: when `to` exists the call
// fails with targetExists and both files stay as they are. invalidName: the file system
// refuses the new name (a character it does not allow, or too long).
MoveResult moveFileNoReplace(const std::string& from, const std::string& to);

// A path in the form the system takes it, as UTF-8: the bytes handed to the kernel on
// Linux, the UTF-16 that the ...A calls make of it on Windows. A new name is checked in this
// form, after the conversion that a scan of local text does not see.
std::string systemPath(const std::string& path);

// The system's temporary folder, with its trailing separator.
std::string tempFolder();

// The path separator of this platform's file names.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

}  // namespace platform
