// The test server's sockets on Linux.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/socket.h"

namespace testing_support::net {

Socket listenLoopback(int& port) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return kNoSocket;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, 16) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(s);
    return kNoSocket;
  }
  port = ntohs(addr.sin_port);
  return s;
}

int waitReadable(Socket s, int timeoutMs) {
  pollfd p{static_cast<int>(s), POLLIN, 0};
  const int r = ::poll(&p, 1, timeoutMs);
  return r < 0 ? -1 : (r == 0 ? 0 : 1);
}

Socket acceptOne(Socket listener) {
  const int c = ::accept(static_cast<int>(listener), nullptr, nullptr);
  return c < 0 ? kNoSocket : c;
}

long receiveSome(Socket s, char* out, std::size_t n) {
  return static_cast<long>(::recv(static_cast<int>(s), out, n, 0));
}

bool sendAll(Socket s, const char* data, std::size_t n) {
  while (n > 0) {
    const ssize_t sent = ::send(static_cast<int>(s), data, n, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    data += sent;
    n -= static_cast<std::size_t>(sent);
  }
  return true;
}

void shutdownBoth(Socket s) { ::shutdown(static_cast<int>(s), SHUT_RDWR); }

void closeSocket(Socket s) { ::close(static_cast<int>(s)); }

void resetSocket(Socket s) {
  linger l{1, 0};
  ::setsockopt(static_cast<int>(s), SOL_SOCKET, SO_LINGER, &l, sizeof l);
  ::close(static_cast<int>(s));
}

}  // namespace testing_support::net
