// The GUI tests' entry point: the shell is started once, as the program starts it, and
// every test then makes and drives the real windows on this thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/startup_win.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!app::startShell()) {
    std::fprintf(stderr, "the shell did not start\n");
    return 1;
  }
  const int result = RUN_ALL_TESTS();
  app::stopShell();
  return result;
}
