#pragma once

#include <cstdint>

namespace testsupport {

#ifdef _WIN32
using Socket = std::uintptr_t;
#else
using Socket = int;
#endif

// A socket of `type` (SOCK_STREAM, then listening, or SOCK_DGRAM) on 127.0.0.1 and an ephemeral
// port, which `port` receives: nothing else is there. Throws when the system refuses.
Socket BindLoopback(int type, int& port);
void CloseSocket(Socket socket);
bool Invalid(Socket socket);
// True when something can be read within `milliseconds`.
bool Readable(Socket socket, int milliseconds);

} // namespace testsupport
