// The providers' stand-in server.
#include "tests/support/provider_server.h"

namespace testing_support {

namespace {

// The search paths as the providers publish them.
const std::map<std::string, std::string> kPaths = {
    {"/api/search/get/web", "netease"},
    {"/soso/fcgi-bin/client_search_cp", "qqmusic"},
    {"/api/search/lyric", "genius"},
};

}  // namespace

ProviderTestServer::ProviderTestServer()
    : server_(std::make_unique<HttpTestServer>([this](const ReceivedRequest& r, Connection& c) {
        const auto path = kPaths.find(r.target.substr(0, r.target.find('?')));
        std::string bytes = httpAnswer(404, "<html><body>not found</body></html>");
        {
          std::lock_guard<std::mutex> lock(mutex_);
          if (path != kPaths.end() && answers_.count(path->second)) bytes = answers_[path->second];
        }
        c.send(bytes);
      })) {}

void ProviderTestServer::answer(const std::string& provider, const std::string& httpAnswer) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_[provider] = httpAnswer;
}

}  // namespace testing_support
