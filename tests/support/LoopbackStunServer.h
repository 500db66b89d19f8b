#pragma once

#include "tests/support/LoopbackSocket.h"

#include <atomic>
#include <thread>

namespace testsupport {

// A STUN server on 127.0.0.1 for the datagram backends' tests: it answers each Binding request
// as a real one does (XOR-MAPPED-ADDRESS of the request's source, SOFTWARE, FINGERPRINT), or
// from a port of its own that the client never asked, or not at all.
class LoopbackStunServer {
public:
    enum class Answer { FromItsPort, FromAnotherPort, Never };

    explicit LoopbackStunServer(Answer answer = Answer::FromItsPort);
    ~LoopbackStunServer();
    LoopbackStunServer(const LoopbackStunServer&) = delete;
    LoopbackStunServer& operator=(const LoopbackStunServer&) = delete;

    int port() const { return port_; }
    int requests() const { return requests_; }

private:
    void serve();

    Answer answer_;
    int port_ = 0;
    int otherPort_ = 0;
    Socket socket_;
    Socket other_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

} // namespace testsupport
