// An environment variable set for the length of a test (empty: unset), then unset again.
#pragma once

#include <cstdlib>
#include <string>

namespace testing_support {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) { put(value); }
  ~ScopedEnv() { put(""); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  void put(const std::string& value) {
#ifdef _WIN32
    _putenv_s(name_, value.c_str());
#else
    if (value.empty())
      unsetenv(name_);
    else
      setenv(name_, value.c_str(), 1);
#endif
  }

 private:
  const char* name_;
};

}  // namespace testing_support
