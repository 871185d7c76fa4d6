// Temporary test folders, through the standard library so tests rely on no code under test.
#include "tests/support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file.h"
#include "platform/text.h"

namespace testing_support {

namespace fs = std::filesystem;

namespace {
// std::filesystem wants native paths: UTF-8 on Linux, UTF-16 on Windows.
fs::path nativePath(const std::string& local) {
#ifdef _WIN32
  const std::u16string w = platform::localToWide(local);
  return fs::path(std::wstring(w.begin(), w.end()));
#else
  return fs::path(platform::localToUtf8(local));
#endif
}
}  // namespace

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = platform::tempFolder() + "lyrivane-test-" + std::to_string(stamp) + "-" +
          std::to_string(counter++) + platform::kPathSeparator;
  fs::create_directories(nativePath(path_));
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(nativePath(path_), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(nativePath(path_), ec);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
  const std::string full = path_ + name;
  std::ofstream out(nativePath(full), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return full;
}

std::string TempDir::read(const std::string& path) {
  std::ifstream in(nativePath(path), std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace testing_support
