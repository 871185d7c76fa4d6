// ui::Window's one window procedure: no exception from a handler leaves it.
#include "ui/window_win.h"

#include <gtest/gtest.h>

#include <new>

#include "tests/gui/gui_support.h"

namespace {

constexpr char kFailingClass[] = "LyrivaneFailingWindow";
constexpr UINT kFail = WM_APP;
constexpr UINT kAnswer = WM_APP + 1;

// A window whose handler runs out of memory on kFail, and on WM_CREATE when asked to.
class FailingWindow : public ui::Window {
 public:
  explicit FailingWindow(bool failOnCreate = false) : failOnCreate_(failOnCreate) {}
  HWND create() {
    return createWindow(0, kFailingClass, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr);
  }
  int failures = 0;

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kFail || (message == WM_CREATE && failOnCreate_)) {
      ++failures;
      throw std::bad_alloc();
    }
    if (message == kAnswer) return 42;
    return Window::handleMessage(message, wParam, lParam);
  }

 private:
  bool failOnCreate_;
};

TEST(WindowProcedure, AnExceptionFromAHandlerStopsThereAndTheWindowGoesOn) {
  ASSERT_TRUE(ui::registerWindowClass(kFailingClass, 0, 0));
  FailingWindow window;
  HWND hwnd = window.create();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(SendMessageA(hwnd, kFail, 0, 0), 0);
  PostMessageA(hwnd, kFail, 0, 0);  // and through the message loop's DispatchMessage
  gui_testing::pumpMessages(50);
  EXPECT_EQ(window.failures, 2);
  EXPECT_EQ(SendMessageA(hwnd, kAnswer, 0, 0), 42);
  DestroyWindow(hwnd);
  EXPECT_EQ(window.hwnd(), nullptr);
}

TEST(WindowProcedure, AWindowWhoseCreationFailsIsNotMade) {
  ASSERT_TRUE(ui::registerWindowClass(kFailingClass, 0, 0));
  FailingWindow window(/*failOnCreate=*/true);
  EXPECT_EQ(window.create(), nullptr);
  EXPECT_EQ(window.failures, 1);
  EXPECT_EQ(window.hwnd(), nullptr);
}

}  // namespace
