// Helpers for the GUI tests.
#include "tests/gui/gui_support.h"

#include <ole2.h>
#include <propidl.h>

#include <algorithm>
#include <chrono>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <cstdio>

#include "platform/text.h"
#include "ui/controls_win.h"
#include "ui/gdi_win.h"

namespace gui_testing {

namespace {

using Clock = std::chrono::steady_clock;

int elapsedMs(Clock::time_point since) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

struct WindowQuery {
  DWORD pid;
  const char* className;
  std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM param) {
  auto* query = reinterpret_cast<WindowQuery*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != query->pid) return TRUE;
  if (query->className != nullptr && ui::windowClassName(window) != query->className) return TRUE;
  query->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK collectThreadWindow(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

}  // namespace

std::string local(const char* utf8) { return platform::utf8ToLocal(utf8); }

void pumpMessages(int ms) {
  const auto start = Clock::now();
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Not ours to swallow: leave it for the test to look at.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (elapsedMs(start) < ms);
}

bool takeQuitMessage() {
  MSG msg;
  bool any = false;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) any = true;
  return any;
}

void closeThreadWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), collectThreadWindow, reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) {
    if (IsWindow(window)) DestroyWindow(window);
  }
  pumpMessages(10);
  takeQuitMessage();
}

std::vector<HWND> topLevelWindows(DWORD pid, const char* className) {
  WindowQuery query{pid, className, {}};
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND waitForWindow(const std::function<HWND()>& find, int timeoutMs, bool pump) {
  const auto start = Clock::now();
  for (;;) {
    if (HWND window = find()) return window;
    if (elapsedMs(start) >= timeoutMs) return nullptr;
    if (pump) {
      pumpMessages(20);
    } else {
      Sleep(20);
    }
  }
}

Box boxOf(HWND window) {
  const RECT r = ui::rectInParent(window);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string describe(const Box& box) {
  char text[96];
  std::snprintf(text, sizeof text, "(%d, %d) %d x %d", box.x, box.y, box.width, box.height);
  return text;
}

ModalCloser::ModalCloser(const char* className, std::function<void(HWND)> inspect, int timeoutMs) {
  const DWORD guiThread = GetCurrentThreadId();
  const DWORD pid = GetCurrentProcessId();
  const std::string wanted = className;
  thread_ = std::thread([this, guiThread, pid, wanted, inspect, timeoutMs] {
    HWND window = waitForWindow(
        [&]() -> HWND {
          for (HWND w : topLevelWindows(pid, wanted.c_str())) {
            if (IsWindowVisible(w)) return w;
          }
          return nullptr;
        },
        timeoutMs);
    if (window == nullptr) {
      PostThreadMessageA(guiThread, WM_QUIT, 0, 0);
      return;
    }
    found_ = true;
    if (inspect) inspect(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
  });
}

ModalCloser::~ModalCloser() { join(); }

void ModalCloser::join() {
  if (thread_.joinable()) thread_.join();
}

std::string testProgramFolder() {
  char path[MAX_PATH * 2] = {};
  const DWORD got = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, got);
  const std::size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

std::string programPath() { return testProgramFolder() + "Lyrivane.exe"; }

ChildProcess::ChildProcess(const std::string& program, const std::string& arguments) {
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
  }
}

ChildProcess::~ChildProcess() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool ChildProcess::waitForExit(int timeoutMs) {
  return process_ != nullptr &&
         WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

DWORD ChildProcess::exitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_ != nullptr) GetExitCodeProcess(process_, &code);
  return code;
}

bool saveScreenshot(HWND window, const std::string& pngPath) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return false;
  const int width = r.right - r.left, height = r.bottom - r.top;
  ui::WindowDC screen(nullptr);
  ui::Bitmap shot(CreateCompatibleBitmap(screen.get(), width, height));
  ui::MemoryDC canvas(screen.get());
  if (!shot || canvas.get() == nullptr) return false;
  {
    ui::SelectionGuard into(canvas.get(), shot.get());
    if (!BitBlt(canvas.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY)) {
      return false;
    }
  }
  // PNG through GDI+ (started by the shell before the tests run).
  static const CLSID kPngEncoder = {
      0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  Gdiplus::GpBitmap* image = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(shot.get(), nullptr, &image) !=
      Gdiplus::Ok) {
    return false;
  }
  const std::u16string wide = platform::localToWide(pngPath);
  const std::wstring widePath(wide.begin(), wide.end());
  const Gdiplus::GpStatus saved =
      Gdiplus::DllExports::GdipSaveImageToFile(image, widePath.c_str(), &kPngEncoder, nullptr);
  Gdiplus::DllExports::GdipDisposeImage(image);
  return saved == Gdiplus::Ok;
}

COLORREF screenPixel(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  ui::WindowDC screen(nullptr);
  return GetPixel(screen.get(), p.x, p.y);
}

}  // namespace gui_testing
