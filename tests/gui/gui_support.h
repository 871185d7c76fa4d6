// Helpers for tests that drive the real windows: pumping messages, finding windows (also
// of other processes), closing modal windows from a helper thread, starting the program,
// and saving what the screen shows.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <gtest/gtest.h>

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

// ---- answering dialogs from a helper thread ---------------------------------------------
// The platform's message box and open-file dialog are modal: the GUI thread sits in their
// loop, so a second thread finds them and answers them as a user would.

// Visible top-level dialogs (#32770) of this process that `match` accepts (all when null).
std::vector<HWND> ownDialogs(const std::function<bool(HWND)>& match = nullptr);

// Waits for such a dialog; null when none came within `timeoutMs`.
HWND waitForDialog(const std::function<bool(HWND)>& match, int timeoutMs = 10000);

// True for the explorer-style open-file dialog: it has the file-name field, 0x47c.
bool isOpenFileDialog(HWND dialog);

// A descendant of `window` with control identifier `id`, or null.
HWND findDescendant(HWND window, int id);

// The texts of a dialog's static controls joined by "\n": what a message box says.
std::string dialogStatics(HWND dialog);

// Presses a dialog's button (IDOK, IDCANCEL...) as a click does, and waits up to `timeoutMs`
// for the dialog to go; false when it stays.
bool answerDialog(HWND dialog, int button, int timeoutMs = 5000);

// Types `text` into an open-file dialog's file-name field and presses its OK button. Several
// names are written `"a.mp3" "b.mp3"`; a folder's path makes the dialog show that folder.
bool typeIntoOpenDialog(HWND dialog, const std::string& text);

// Runs `script` on a helper thread. The script answers the dialogs the GUI thread opens and
// returns "" when all went as it expected, otherwise what went wrong. On a failure every
// dialog and lyrics window of this process is cancelled and WM_QUIT posted to the GUI
// thread, so that no modal loop there waits for ever.
class DialogScript {
 public:
  explicit DialogScript(std::function<std::string()> script);
  ~DialogScript();
  // Waits for the script to end; what went wrong, or "".
  std::string join();

 private:
  std::thread thread_;
  std::string failure_;
};

// ---- dropping files ---------------------------------------------------------------------

// A data object carrying either a CF_HDROP list of UTF-16 paths or only plain text, as the
// shell and a text editor would offer them. Lives on the stack: its counts are not kept.
class HDropData : public IDataObject {
 public:
  // Paths in local text.
  explicit HDropData(const std::vector<std::string>& paths, bool asFiles = true);
  explicit HDropData(std::vector<std::u16string> paths, bool asFiles = true)
      : paths_(std::move(paths)), asFiles_(asFiles) {}
  virtual ~HDropData() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  std::vector<std::u16string> paths_;
  bool asFiles_;
};

// Drops `paths` (local text) on `window` through the drop target that RegisterDragDrop
// registered for it, with the calls a drag from the shell makes: DragEnter, DragOver, Drop.
// OLE keeps the registered target in the window's "OleDropTargetInterface" property. Returns
// the effect the target answered to the drop; DROPEFFECT_NONE also when no target is there.
DWORD dropFiles(HWND window, const std::vector<std::string>& paths);
// The same with the paths in UTF-16, for names that local text cannot hold.
DWORD dropFiles(HWND window, const std::vector<std::u16string>& paths);

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

// Keeps a picture of `window` as screenshots\NAME beside the test program, where people (and
// the README's pictures) find it; a picture of an earlier run is replaced. The file's path,
// or "" when it could not be made.
std::string keepScreenshot(HWND window, const std::string& name);

// The colour of the screen pixel at client point (x, y) of `window`.
COLORREF screenPixel(HWND window, int x, int y);

// A test of the program's windows: it starts and ends with no window left on this thread
// and the program-wide state as start-up leaves it.
class ShellTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace gui_testing
