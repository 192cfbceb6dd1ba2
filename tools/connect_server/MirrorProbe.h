#pragma once
// The check of one FTP patch server: a non-blocking connect and the wait for its
// greeting, run inside the connect server's epoll loop. The mirror is live when the
// greeting's first line starts with "220" within the timeout; a refused or failed
// connection, another reply code, a close or the timeout mark it down.
#include <netinet/in.h>

#include <cstdint>
#include <string>

class MirrorProbe {
public:
    // `address` is the mirror's IPv4 address, or empty when its name did not resolve.
    MirrorProbe(const std::string& address, uint16_t port);
    ~MirrorProbe();
    MirrorProbe(const MirrorProbe&) = delete;
    MirrorProbe& operator=(const MirrorProbe&) = delete;

    // Opens the connection and registers it with the loop. A connection that fails at
    // once decides the check on the spot; the result is in Live() and Reason().
    void Begin(int epollFd, int64_t nowMs, int timeoutMs);
    // Handles an event of Fd(). Returns 1 when the check has ended (Fd() is -1 then).
    int OnEvent(uint32_t events);
    // Ends a running check whose time is up. Returns 1 when it did so.
    int Expire(int64_t nowMs);

    bool Running() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    int64_t Deadline() const { return deadline_; }
    bool Live() const { return live_; }
    const std::string& Reason() const { return reason_; }

private:
    int ReadGreeting();
    void Finish(bool live, const std::string& reason);

    sockaddr_in address_;
    bool resolvable_ = false;
    int epollFd_ = -1;
    int fd_ = -1;
    bool connected_ = false;
    int64_t deadline_ = 0;
    int timeoutMs_ = 0;
    std::string line_;
    bool live_ = true;
    std::string reason_;
};
