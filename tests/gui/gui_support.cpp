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

#include <shlobj.h>
#include <cstdio>
#include <cstring>

#include "app/shell_state.h"
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

namespace {

struct ChildQuery {
  int id;
  HWND found;
};

BOOL CALLBACK findChildById(HWND window, LPARAM param) {
  auto* query = reinterpret_cast<ChildQuery*>(param);
  if (GetDlgCtrlID(window) == query->id) {
    query->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK collectStaticText(HWND window, LPARAM param) {
  if (ui::windowClassName(window) == "Static") {
    const std::string text = ui::windowText(window);
    if (!text.empty()) {
      auto* all = reinterpret_cast<std::string*>(param);
      if (!all->empty()) *all += "\n";
      *all += text;
    }
  }
  return TRUE;
}

// Cancels every dialog and closes every lyrics window of this process: the rescue of a
// script that went wrong.
void cancelEverything() {
  for (HWND dialog : ownDialogs()) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  for (HWND lyrics : topLevelWindows(GetCurrentProcessId(), "LyricsWindow")) {
    PostMessageA(lyrics, WM_CLOSE, 0, 0);
  }
}

}  // namespace

std::vector<HWND> ownDialogs(const std::function<bool(HWND)>& match) {
  std::vector<HWND> dialogs;
  for (HWND w : topLevelWindows(GetCurrentProcessId(), "#32770")) {
    if (IsWindowVisible(w) && (!match || match(w))) dialogs.push_back(w);
  }
  return dialogs;
}

HWND waitForDialog(const std::function<bool(HWND)>& match, int timeoutMs) {
  return waitForWindow(
      [&]() -> HWND {
        const std::vector<HWND> found = ownDialogs(match);
        return found.empty() ? nullptr : found.front();
      },
      timeoutMs);
}

HWND findDescendant(HWND window, int id) {
  ChildQuery query{id, nullptr};
  EnumChildWindows(window, findChildById, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

bool isOpenFileDialog(HWND dialog) { return findDescendant(dialog, 0x47c) != nullptr; }

std::string dialogStatics(HWND dialog) {
  std::string all;
  EnumChildWindows(dialog, collectStaticText, reinterpret_cast<LPARAM>(&all));
  return all;
}

bool answerDialog(HWND dialog, int button, int timeoutMs) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  const auto start = Clock::now();
  while (IsWindow(dialog) && IsWindowVisible(dialog)) {
    if (elapsedMs(start) >= timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

bool typeIntoOpenDialog(HWND dialog, const std::string& text) {
  // The file-name field: a ComboBoxEx32 holding a ComboBox holding the Edit that is typed in.
  HWND field = findDescendant(dialog, 0x47c);
  HWND edit = nullptr;
  for (HWND w = field; w != nullptr && edit == nullptr;) {
    HWND child = GetWindow(w, GW_CHILD);
    if (child != nullptr && ui::windowClassName(child) == "Edit") edit = child;
    w = child;
  }
  if (edit == nullptr) return false;
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  // Sent, not posted, so that a folder is shown before the next text is typed (sent messages
  // overtake posted ones); bounded, in case OK opens a box of its own.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)), SMTO_NORMAL, 5000,
                      &result);
  return true;
}

DialogScript::DialogScript(std::function<std::string()> script) {
  const DWORD guiThread = GetCurrentThreadId();
  thread_ = std::thread([this, guiThread, script] {
    failure_ = script();
    if (failure_.empty()) return;
    cancelEverything();
    PostThreadMessageA(guiThread, WM_QUIT, 0, 0);
  });
}

DialogScript::~DialogScript() { join(); }

std::string DialogScript::join() {
  if (thread_.joinable()) thread_.join();
  return failure_;
}

HDropData::HDropData(const std::vector<std::string>& paths, bool asFiles) : asFiles_(asFiles) {
  for (const std::string& p : paths) paths_.push_back(platform::localToWide(p));
}

HRESULT STDMETHODCALLTYPE HDropData::QueryInterface(REFIID iid, void** object) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
    *object = this;
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE HDropData::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
  std::u16string list;
  for (const std::u16string& p : paths_) list += p + u'\0';
  list += u'\0';
  const std::size_t bytes = list.size() * sizeof(char16_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), bytes);
  GlobalUnlock(memory);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HDropData::QueryGetData(FORMATETC* format) {
  const CLIPFORMAT offered = asFiles_ ? CF_HDROP : CF_TEXT;
  return format->cfFormat == offered && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE HDropData::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  out->ptd = nullptr;
  return E_NOTIMPL;
}

DWORD dropFiles(HWND window, const std::vector<std::string>& paths) {
  std::vector<std::u16string> wide;
  for (const std::string& p : paths) wide.push_back(platform::localToWide(p));
  return dropFiles(window, wide);
}

DWORD dropFiles(HWND window, const std::vector<std::u16string>& paths) {
  auto* target = static_cast<IDropTarget*>(GetPropA(window, "OleDropTargetInterface"));
  if (target == nullptr) return DROPEFFECT_NONE;
  HDropData data(paths);
  RECT r{};
  GetWindowRect(window, &r);
  const POINTL point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  target->AddRef();
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  target->DragEnter(&data, MK_LBUTTON, point, &effect);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  target->DragOver(MK_LBUTTON, point, &effect);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  target->Drop(&data, 0, point, &effect);
  target->Release();
  return effect;
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

std::string keepScreenshot(HWND window, const std::string& name) {
  const std::string folder = testProgramFolder() + "screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string shot = folder + "\\" + name;
  DeleteFileA(shot.c_str());
  return saveScreenshot(window, shot) ? shot : std::string();
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

void ShellTest::SetUp() {
  app::releaseShellState();
  closeThreadWindows();
}

void ShellTest::TearDown() {
  closeThreadWindows();
  app::releaseShellState();
}

}  // namespace gui_testing
