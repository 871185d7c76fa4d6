// A fresh folder under the system's temporary folder, removed with its files at the end
// of the test that made it.
#pragma once

#include <string>

namespace testing_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder as local text, with its trailing separator.
  const std::string& path() const { return path_; }
  // Writes a file (name in local text) and returns its full path.
  std::string write(const std::string& name, const std::string& bytes) const;
  // The whole content of a file, or "<missing>" when it cannot be read.
  static std::string read(const std::string& path);

 private:
  std::string path_;
};

}  // namespace testing_support
