// The network library is loaded by the commands that go to the network and by no other:
// `info` starts without it, and a missing libcurl is a failed lookup, not a failed start.
#include <gtest/gtest.h>

#include "tests/support/process_posix.h"

namespace {

using testing_support::lyrivaneBinary;
using testing_support::runCommand;
using testing_support::shellQuote;

// The shared objects the dynamic loader opened during one run, as LD_DEBUG reports them.
std::string loadedObjects(const std::string& environment, const std::string& arguments) {
  return runCommand(environment + " LD_DEBUG=files " + shellQuote(lyrivaneBinary()) + " " +
                    arguments + " 2>&1 >/dev/null | grep 'file=' || true")
      .out;
}

TEST(StartCost, OnlyTheNetworkCommandsLoadLibcurl) {
  EXPECT_EQ(loadedObjects("", "info /nonexistent/song.mp3").find("libcurl"), std::string::npos);
  // Nothing listens on port 9 of the loopback: the lookup fails, after loading libcurl.
  EXPECT_NE(loadedObjects("LYRIVANE_BAIDU_HOST=127.0.0.1:9", "lookup words").find("libcurl"),
            std::string::npos);
}

TEST(StartCost, MissingLibcurlIsAFailedLookupWithItsReason) {
  const std::string noCurl = "LYRIVANE_LIBCURL=/nonexistent/libcurl.so.4 ";
  const auto lookup = runCommand(noCurl + "LYRIVANE_BAIDU_HOST=127.0.0.1:9 " +
                                 shellQuote(lyrivaneBinary()) + " lookup words 2>&1");
  EXPECT_EQ(lookup.exitCode, 3);
  EXPECT_NE(lookup.out.find("libcurl"), std::string::npos) << lookup.out;
  EXPECT_NE(lookup.out.find("/nonexistent/libcurl.so.4"), std::string::npos) << lookup.out;

  const auto info = runCommand(noCurl + shellQuote(lyrivaneBinary()) + " info --help");
  EXPECT_EQ(info.exitCode, 0);
}

}  // namespace
