// Files on Linux. Paths arrive as local text (GB18030) and reach the kernel as UTF-8, or as
// the bytes they were when they came from the system not being UTF-8.
// Linux has no share modes: a song is opened read-only and never written, which is all
// the program needs; no lock is taken, as a lock would not stop other writers anyway.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/text.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform {

bool ReadOnlyFile::open(const std::string& path) {
  close();
  const int fd = ::open(localPathToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
  return true;
}

void ReadOnlyFile::close() {
  if (handle_ != kClosed) ::close(static_cast<int>(handle_));
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
    const ssize_t r =
        pread(static_cast<int>(handle_), dst + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    done += static_cast<std::size_t>(r);
  }
  return done;
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return stat(localPathToUtf8(path).c_str(), &st) == 0;
}

std::int64_t fileSize(const std::string& path) {
  struct stat st {};
  if (stat(localPathToUtf8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

MoveResult moveFileNoReplace(const std::string& from, const std::string& to) {
  const std::string src = localPathToUtf8(from);
  const std::string dst = localPathToUtf8(to);
  struct stat st {};
  if (lstat(src.c_str(), &st) != 0) return MoveResult::sourceMissing;
  // renameat2 is atomic; glibc 2.36 has no wrapper everywhere, so call it by number.
  if (syscall(SYS_renameat2, AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0)
    return MoveResult::moved;
  if (errno == EEXIST) return MoveResult::targetExists;
  // A name too long, or one a file system such as vfat cannot store.
  if (errno == ENAMETOOLONG || errno == EILSEQ) return MoveResult::invalidName;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return MoveResult::failed;
  // File systems without RENAME_NOREPLACE: link() also refuses an existing target.
  if (link(src.c_str(), dst.c_str()) != 0)
    return errno == EEXIST ? MoveResult::targetExists : MoveResult::failed;
  if (unlink(src.c_str()) != 0) {
    unlink(dst.c_str());
    return MoveResult::failed;
  }
  return MoveResult::moved;
}

std::string systemPath(const std::string& path) { return localPathToUtf8(path); }

std::string tempFolder() {
  const char* dir = getenv("TMPDIR");
  std::string folder = (dir && *dir) ? dir : "/tmp";
  if (folder.back() != '/') folder += '/';
  return utf8PathToLocal(folder);
}

}  // namespace platform
