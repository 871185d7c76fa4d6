// The tests' own HTTP server: one thread accepts, one thread per connection answers.
#include "tests/support/http_test_server.h"

#include <algorithm>

namespace testing_support {

namespace {

constexpr std::size_t kMaxHead = 1 << 20;
constexpr int kPollMs = 20;

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

ReceivedRequest parseHead(const std::string& head) {
  ReceivedRequest r;
  r.head = head;
  std::size_t start = 0;
  bool first = true;
  while (start <= head.size()) {
    std::size_t end = head.find("\r\n", start);
    if (end == std::string::npos) end = head.size();
    const std::string line = head.substr(start, end - start);
    start = end + 2;
    if (first) {
      r.requestLine = line;
      const std::size_t sp1 = line.find(' ');
      const std::size_t sp2 = line.rfind(' ');
      r.method = line.substr(0, sp1);
      if (sp1 != std::string::npos && sp2 > sp1) r.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
      first = false;
      continue;
    }
    if (line.empty()) continue;
    const std::size_t colon = line.find(':');
    std::string value = colon == std::string::npos ? "" : line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.erase(value.begin());
    r.headers.emplace_back(line.substr(0, colon), value);
  }
  return r;
}

}  // namespace

std::string ReceivedRequest::header(const std::string& name) const {
  for (const auto& h : headers)
    if (lowerAscii(h.first) == lowerAscii(name)) return h.second;
  return "<none>";
}

std::vector<std::string> ReceivedRequest::headerLines() const {
  std::vector<std::string> lines;
  std::size_t start = head.find("\r\n");
  while (start != std::string::npos && start + 2 < head.size()) {
    start += 2;
    const std::size_t end = head.find("\r\n", start);
    lines.push_back(head.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = end;
  }
  return lines;
}

bool Connection::send(const std::string& bytes) {
  if (stopping_ || reset_) return false;
  return net::sendAll(socket_, bytes.data(), bytes.size());
}

bool Connection::pause(std::chrono::milliseconds duration) {
  const auto until = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < until) {
    if (stopping_) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return !stopping_;
}

void Connection::reset() { reset_ = true; }

HttpTestServer::HttpTestServer(Handler handler) : handler_(std::move(handler)) {
  listener_ = net::listenLoopback(port_);
  if (listener_ != net::kNoSocket) acceptor_ = std::thread([this] { acceptLoop(); });
}

HttpTestServer::~HttpTestServer() { stop(); }

std::string HttpTestServer::hostPort() const { return "127.0.0.1:" + std::to_string(port_); }

std::string HttpTestServer::url(const std::string& path) const {
  return "http://" + hostPort() + path;
}

std::vector<ReceivedRequest> HttpTestServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void HttpTestServer::stop() {
  if (stopping_.exchange(true)) return;
  if (acceptor_.joinable()) acceptor_.join();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (net::Socket s : open_) net::shutdownBoth(s);
  }
  for (auto& w : workers_) w.join();
  if (listener_ != net::kNoSocket) net::closeSocket(listener_);
}

void HttpTestServer::acceptLoop() {
  while (!stopping_) {
    if (net::waitReadable(listener_, kPollMs) != 1) continue;
    const net::Socket s = net::acceptOne(listener_);
    if (s == net::kNoSocket) continue;
    ++connections_;
    std::lock_guard<std::mutex> lock(mutex_);
    open_.push_back(s);
    workers_.emplace_back([this, s] { serve(s); });
  }
}

void HttpTestServer::serve(net::Socket s) {
  // Read the head, then as much body as Content-Length announces.
  std::string data;
  std::size_t headEnd = std::string::npos;
  char buf[4096];
  while (!stopping_ && headEnd == std::string::npos && data.size() < kMaxHead) {
    const int ready = net::waitReadable(s, kPollMs);
    if (ready < 0) break;
    if (ready == 0) continue;
    const long n = net::receiveSome(s, buf, sizeof buf);
    if (n <= 0) break;
    data.append(buf, static_cast<std::size_t>(n));
    headEnd = data.find("\r\n\r\n");
  }
  if (headEnd != std::string::npos) {
    ReceivedRequest request = parseHead(data.substr(0, headEnd));
    std::string body = data.substr(headEnd + 4);
    const std::string length = request.header("Content-Length");
    const std::size_t want = length == "<none>" ? 0 : std::stoul(length);
    while (!stopping_ && body.size() < want) {
      const int ready = net::waitReadable(s, kPollMs);
      if (ready < 0) break;
      if (ready == 0) continue;
      const long n = net::receiveSome(s, buf, sizeof buf);
      if (n <= 0) break;
      body.append(buf, static_cast<std::size_t>(n));
    }
    request.body = body;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    Connection connection(s, stopping_);
    handler_(request, connection);
    if (connection.wasReset()) {
      std::lock_guard<std::mutex> lock(mutex_);
      open_.erase(std::remove(open_.begin(), open_.end(), s), open_.end());
      net::resetSocket(s);
      return;
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  open_.erase(std::remove(open_.begin(), open_.end(), s), open_.end());
  net::shutdownBoth(s);
  net::closeSocket(s);
}

std::string httpAnswer(int status, const std::string& body, const std::string& headerLines) {
  const char* reason = status == 200 ? "OK" : (status == 404 ? "Not Found" : "Status");
  return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n" + headerLines +
         "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

Handler answerWith(std::string bytes) {
  return [bytes](const ReceivedRequest&, Connection& c) { c.send(bytes); };
}

}  // namespace testing_support
