// The append-only durable file on Linux: O_APPEND writes, each followed by fdatasync. A new
// file's name is made durable by an fsync of its folder, or a crash could lose the file.
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/durable_file.h"
#include "platform/text.h"

namespace platform {

bool DurableAppendFile::open(const std::string& path) {
  close();
  const std::string utf8 = localToUtf8(path);
  const int fd = ::open(utf8.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::size_t slash = utf8.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : utf8.substr(0, slash + 1);
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    ::close(dir);
  }
  handle_ = fd;
  return true;
}

void DurableAppendFile::close() {
  if (handle_ != kClosed) ::close(static_cast<int>(handle_));
  handle_ = kClosed;
}

bool DurableAppendFile::append(const std::string& bytes) {
  if (handle_ == kClosed) return false;
  const int fd = static_cast<int>(handle_);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return fdatasync(fd) == 0;
}

}  // namespace platform
