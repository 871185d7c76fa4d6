// Checks a released Lyrivane.exe from the outside, as Windows sees it: prints the
// ProductVersion string of its version resource, then starts it and waits until its
// window is up and idle, then ends it.
//   version_probe PATH\Lyrivane.exe  ->  "version=1.2.3" and "started=1"; exit 0 when both.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string productVersion(const char* path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return "";
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path, 0, size, data.data())) return "";
  // The first language and code page the resource lists.
  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(Translation))
    return "";
  char key[64];
  std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\ProductVersion",
                translation->language, translation->codePage);
  char* value = nullptr;
  if (!VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&value), &length) ||
      value == nullptr)
    return "";
  return std::string(value);
}

struct Found {
  DWORD pid;
  bool visible;
};

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == found->pid && IsWindowVisible(window)) found->visible = true;
  return found->visible ? FALSE : TRUE;
}

// Starts the program and waits (at most 20 s) for a visible window of it.
bool starts(const char* path) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command = std::string("\"") + path + "\"";
  if (!CreateProcessA(path, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  Found found{process.dwProcessId, false};
  WaitForInputIdle(process.hProcess, 20000);
  for (int i = 0; i < 200 && !found.visible; ++i) {
    EnumWindows(findVisibleWindow, reinterpret_cast<LPARAM>(&found));
    if (!found.visible && WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
  }
  TerminateProcess(process.hProcess, 0);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return found.visible;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: version_probe PATH\\Lyrivane.exe\n", stderr);
    return 2;
  }
  const std::string version = productVersion(argv[1]);
  std::printf("version=%s\n", version.c_str());
  std::fflush(stdout);
  const bool started = starts(argv[1]);
  std::printf("started=%d\n", started ? 1 : 0);
  return !version.empty() && started ? 0 : 1;
}
