// Each test process keeps its own state folder: a `lyrivane rename` started by a test writes
// its undo journal there, never into the home folder of whoever runs the tests.
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

struct PrivateStateHome {
  PrivateStateHome() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/lyrivane-state-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder = pattern;
    setenv("XDG_STATE_HOME", folder.c_str(), 1);
  }
  ~PrivateStateHome() {
    std::error_code ec;
    if (!folder.empty()) std::filesystem::remove_all(folder, ec);
  }
  std::string folder;
};

const PrivateStateHome privateStateHome;

}  // namespace
