// A server of the tests' own that stands in for the lyric-search providers: each provider's
// documented search path gets the answer a test sets for it, any other path a 404 page.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/http_test_server.h"

namespace testing_support {

class ProviderTestServer {
 public:
  ProviderTestServer();

  // Answers the search path of the provider so named ("netease", "qqmusic", "genius") with
  // these bytes, a whole HTTP answer; until then it gets a 404 page.
  void answer(const std::string& provider, const std::string& httpAnswer);

  // "http://127.0.0.1:port", for the providers' base address variables.
  std::string base() const { return server_->url(""); }
  std::vector<ReceivedRequest> requests() const { return server_->requests(); }

 private:
  std::mutex mutex_;
  std::map<std::string, std::string> answers_;  // by provider name
  std::unique_ptr<HttpTestServer> server_;
};

}  // namespace testing_support
