// Helpers for tests that drive the real windows: pumping messages, finding windows (also
// of other processes), closing modal windows from a helper thread, starting the program,
// and saving what the screen shows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace gui_testing {

// Local text of a UTF-8 literal (the test sources are UTF-8).
std::string local(const char* utf8);

// Processes this thread's messages for `ms` milliseconds.
void pumpMessages(int ms);

// Removes a pending WM_QUIT from this thread's queue; true when there was one.
bool takeQuitMessage();

// Destroys every top-level window of this thread, then drops a pending WM_QUIT, so the
// next test starts with an empty screen and a clean queue.
void closeThreadWindows();

// Top-level windows of process `pid` whose class is `className` (any class for null).
std::vector<HWND> topLevelWindows(DWORD pid, const char* className);

// Polls until `find` returns a window or `timeoutMs` passes (pumping this thread's
// messages meanwhile when `pump`).
HWND waitForWindow(const std::function<HWND()>& find, int timeoutMs, bool pump = false);

// Client-relative rectangle of a child, window rectangle of a top-level window.
struct Box {
  int x, y, width, height;
  bool operator==(const Box& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};
Box boxOf(HWND window);
std::string describe(const Box& box);

// From a helper thread: waits for a top-level window of this process with class
// `className`, lets `inspect` look at it (on the helper thread), then posts WM_CLOSE. If no
// window appears in time, it posts WM_QUIT to the GUI thread instead so a modal loop
// waiting there ends rather than hanging the run. `found()` tells which happened.
class ModalCloser {
 public:
  ModalCloser(const char* className, std::function<void(HWND)> inspect, int timeoutMs = 10000);
  ~ModalCloser();
  void join();
  bool found() const { return found_; }  // after join()

 private:
  std::thread thread_;
  bool found_ = false;
};

// Lyrivane.exe, beside this test program.
std::string programPath();
// The folder of this test program, with its trailing "\\".
std::string testProgramFolder();

// A started program that is always ended: by itself, or killed after the test.
class ChildProcess {
 public:
  // Runs `program` with the command-line text `arguments` appended after its quoted path.
  ChildProcess(const std::string& program, const std::string& arguments);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD pid() const { return pid_; }
  // Waits for the process to end; true when it did within `timeoutMs`.
  bool waitForExit(int timeoutMs);
  DWORD exitCode() const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Saves the screen's pixels under `window` (frame included) as a PNG file.
bool saveScreenshot(HWND window, const std::string& pngPath);

// The colour of the screen pixel at client point (x, y) of `window`.
COLORREF screenPixel(HWND window, int x, int y);

}  // namespace gui_testing
