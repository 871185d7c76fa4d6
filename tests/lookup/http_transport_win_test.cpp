// HttpFetch on a window thread: window messages are handled while the fetch waits, and a
// quit request that arrives meanwhile is left for the program's own message loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "lookup/http_fetch.h"
#include "tests/support/http_test_server.h"

namespace {

using testing_support::Connection;
using testing_support::HttpTestServer;
using testing_support::ReceivedRequest;

std::atomic<int> appMessages{0};

LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_APP) ++appMessages;
  return DefWindowProcA(window, message, w, l);
}

TEST(FetchOnWindowThread, MessagesAreHandledWhileWaiting) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = countingProc;
  wc.hInstance = instance;
  wc.lpszClassName = "LyrivaneFetchMessagesTest";
  ASSERT_NE(RegisterClassA(&wc), 0);
  const HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      instance, nullptr);
  ASSERT_NE(window, nullptr);

  std::atomic<int> seenAtAnswer{-1};
  HttpTestServer server([&seenAtAnswer](const ReceivedRequest&, Connection& c) {
    c.pause(std::chrono::milliseconds(300));
    seenAtAnswer = appMessages.load();
    c.send(testing_support::httpAnswer(200, "late"));
  });
  appMessages = 0;
  PostMessageA(window, WM_APP, 0, 0);
  EXPECT_EQ(lookup::bodyText(lookup::HttpFetch(server.url("/slow"))), "late");
  EXPECT_EQ(seenAtAnswer.load(), 1);  // handled before the answer came

  DestroyWindow(window);
  UnregisterClassA(wc.lpszClassName, instance);
}

TEST(FetchOnWindowThread, QuitRequestIsKeptForTheMessageLoop) {
  HttpTestServer server([](const ReceivedRequest&, Connection& c) {
    c.pause(std::chrono::milliseconds(200));
    c.send(testing_support::httpAnswer(200, "done"));
  });
  PostQuitMessage(7);
  EXPECT_EQ(lookup::bodyText(lookup::HttpFetch(server.url("/quit"))), "done");
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
