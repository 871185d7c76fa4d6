// The test server's sockets on Windows (Winsock 2). WSAStartup is reference counted, so
// starting it once per listener and never cleaning up costs nothing in a test process.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/support/socket.h"

namespace testing_support::net {

namespace {
SOCKET raw(Socket s) { return static_cast<SOCKET>(s); }
}  // namespace

Socket listenLoopback(int& port) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return kNoSocket;
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return kNoSocket;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  int len = sizeof addr;
  if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, 16) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::closesocket(s);
    return kNoSocket;
  }
  port = ntohs(addr.sin_port);
  return static_cast<Socket>(s);
}

int waitReadable(Socket s, int timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(raw(s), &set);
  timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  const int r = ::select(0, &set, nullptr, nullptr, &tv);
  return r == SOCKET_ERROR ? -1 : (r == 0 ? 0 : 1);
}

Socket acceptOne(Socket listener) {
  const SOCKET c = ::accept(raw(listener), nullptr, nullptr);
  return c == INVALID_SOCKET ? kNoSocket : static_cast<Socket>(c);
}

long receiveSome(Socket s, char* out, std::size_t n) {
  return ::recv(raw(s), out, static_cast<int>(n), 0);
}

bool sendAll(Socket s, const char* data, std::size_t n) {
  while (n > 0) {
    const int sent = ::send(raw(s), data, static_cast<int>(n), 0);
    if (sent <= 0) return false;
    data += sent;
    n -= static_cast<std::size_t>(sent);
  }
  return true;
}

void shutdownBoth(Socket s) { ::shutdown(raw(s), SD_BOTH); }

void closeSocket(Socket s) { ::closesocket(raw(s)); }

void resetSocket(Socket s) {
  linger l{1, 0};
  ::setsockopt(raw(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
  ::closesocket(raw(s));
}

}  // namespace testing_support::net
