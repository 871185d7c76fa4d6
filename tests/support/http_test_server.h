// The tests' own HTTP server on 127.0.0.1 (a port the system picks), started and stopped by
// the test that uses it. It records every request exactly as received and lets the test
// answer each one however it likes: a normal page, or hostile answers that stall, trickle,
// never end, or reset the connection.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/socket.h"

namespace testing_support {

struct ReceivedRequest {
  std::string head;         // request line and header lines, CR LF separated, blank line excluded
  std::string requestLine;  // e.g. "GET /m?word=%61 HTTP/1.1"
  std::string method;
  std::string target;
  std::vector<std::pair<std::string, std::string>> headers;  // in the order sent
  std::string body;

  // The value of the first header of that name (ASCII case ignored), or "<none>".
  std::string header(const std::string& name) const;
  // Header lines exactly as sent, without CR LF.
  std::vector<std::string> headerLines() const;
};

// One client connection while its request is being answered.
class Connection {
 public:
  Connection(net::Socket s, const std::atomic<bool>& stopping) : socket_(s), stopping_(stopping) {}
  // False once the client is gone or the server is stopping.
  bool send(const std::string& bytes);
  // Waits; false when the server stops meanwhile.
  bool pause(std::chrono::milliseconds duration);
  // Ends the connection with a TCP reset instead of a close.
  void reset();
  bool stopping() const { return stopping_.load(); }
  bool wasReset() const { return reset_; }

 private:
  net::Socket socket_;
  const std::atomic<bool>& stopping_;
  bool reset_ = false;
};

using Handler = std::function<void(const ReceivedRequest&, Connection&)>;

class HttpTestServer {
 public:
  explicit HttpTestServer(Handler handler);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  bool running() const { return listener_ != net::kNoSocket; }
  int port() const { return port_; }
  // "127.0.0.1:port"
  std::string hostPort() const;
  // "http://127.0.0.1:port" + path
  std::string url(const std::string& path) const;
  std::vector<ReceivedRequest> requests() const;
  // Connections accepted so far, whether or not they brought a request.
  int connections() const { return connections_.load(); }
  void stop();

 private:
  void acceptLoop();
  void serve(net::Socket s);

  Handler handler_;
  net::Socket listener_ = net::kNoSocket;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::vector<ReceivedRequest> requests_;
  std::vector<net::Socket> open_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};

// A complete answer: status line, the given header lines (each ending in CR LF),
// Content-Length, "Connection: close", a blank line and the body.
std::string httpAnswer(int status, const std::string& body, const std::string& headerLines = "");

// A handler that sends the same bytes to every request.
Handler answerWith(std::string bytes);

}  // namespace testing_support
