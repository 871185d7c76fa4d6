// A file that only grows, whose every append is on the disk before the call returns: the
// undo journal is written through it, so a line that was appended outlives a crash or a
// power cut. Paths are local text, as everywhere in the program.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class DurableAppendFile {
 public:
  DurableAppendFile() = default;
  ~DurableAppendFile() { close(); }
  DurableAppendFile(const DurableAppendFile&) = delete;
  DurableAppendFile& operator=(const DurableAppendFile&) = delete;

  // Opens the file for appending, creating it (not its folder) when it is missing. A file
  // made here is also recorded in its folder before open returns.
  bool open(const std::string& path);
  void close();
  bool isOpen() const { return handle_ != kClosed; }

  // Appends all the bytes and waits until they are on the disk.
  bool append(const std::string& bytes);

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
};

}  // namespace platform
