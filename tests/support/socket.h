// The few socket calls the tests' own HTTP server needs, on 127.0.0.1 only, behind one
// small interface with a thin file per platform (socket_posix.cpp, socket_win.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace testing_support::net {

using Socket = std::intptr_t;
constexpr Socket kNoSocket = -1;

// A listening socket on 127.0.0.1 at a port the system picks; `port` receives it.
Socket listenLoopback(int& port);

// Waits up to timeoutMs for the socket to become readable (or, for a listener, to have a
// connection): 1 ready, 0 not yet, -1 error.
int waitReadable(Socket s, int timeoutMs);

Socket acceptOne(Socket listener);

// Bytes received (0 when the peer closed), or -1 on error.
long receiveSome(Socket s, char* out, std::size_t n);

// Sends everything; false once the peer is gone or the socket was shut down.
bool sendAll(Socket s, const char* data, std::size_t n);

// Ends both directions, waking any thread blocked on the socket.
void shutdownBoth(Socket s);

void closeSocket(Socket s);

// Closes with an abortive reset (RST) instead of an orderly end.
void resetSocket(Socket s);

}  // namespace testing_support::net
