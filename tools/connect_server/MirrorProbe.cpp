#include "tools/connect_server/MirrorProbe.h"

#include <arpa/inet.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// A greeting line longer than this is not an FTP greeting.
const size_t kMaxGreetingLine = 512;

} // namespace

MirrorProbe::MirrorProbe(const std::string& address, uint16_t port)
{
    memset(&address_, 0, sizeof(address_));
    address_.sin_family = AF_INET;
    address_.sin_port = htons(port);
    resolvable_ = !address.empty() && inet_pton(AF_INET, address.c_str(), &address_.sin_addr) == 1;
}

MirrorProbe::~MirrorProbe()
{
    if (fd_ >= 0)
        close(fd_);
}

void MirrorProbe::Begin(int epollFd, int64_t nowMs, int timeoutMs)
{
    if (fd_ >= 0)
        return;
    if (!resolvable_) {
        Finish(false, "its host name did not resolve when the server started");
        return;
    }
    epollFd_ = epollFd;
    timeoutMs_ = timeoutMs;
    deadline_ = nowMs + timeoutMs;
    connected_ = false;
    line_.clear();
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        Finish(false, std::string("no socket for the check: ") + strerror(errno));
        return;
    }
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&address_), sizeof(address_)) != 0 &&
        errno != EINPROGRESS) {
        Finish(false, std::string("connect failed: ") + strerror(errno));
        return;
    }
    epoll_event event;
    memset(&event, 0, sizeof(event));
    event.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP;
    event.data.fd = fd_;
    if (epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd_, &event) != 0) {
        int error = errno;
        close(fd_);
        fd_ = -1;
        Finish(false, std::string("cannot watch the check: ") + strerror(error));
    }
}

int MirrorProbe::OnEvent(uint32_t events)
{
    if (fd_ < 0)
        return 1;
    if (!connected_ && (events & (EPOLLOUT | EPOLLERR | EPOLLHUP))) {
        int error = 0;
        socklen_t length = sizeof(error);
        getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0) {
            Finish(false, std::string("connect failed: ") + strerror(error));
            return 1;
        }
        connected_ = true;
        // From now on only the greeting matters.
        epoll_event event;
        memset(&event, 0, sizeof(event));
        event.events = EPOLLIN | EPOLLRDHUP;
        event.data.fd = fd_;
        epoll_ctl(epollFd_, EPOLL_CTL_MOD, fd_, &event);
    }
    if (connected_ && (events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)))
        return ReadGreeting();
    return 0;
}

int MirrorProbe::ReadGreeting()
{
    char buffer[256];
    for (;;) {
        ssize_t got = recv(fd_, buffer, sizeof(buffer), 0);
        if (got > 0) {
            line_.append(buffer, static_cast<size_t>(got));
            size_t end = line_.find('\n');
            if (end != std::string::npos) {
                std::string first = line_.substr(0, end);
                if (first.compare(0, 3, "220") == 0 && (first.size() == 3 || first[3] == ' ' ||
                                                        first[3] == '-' || first[3] == '\r')) {
                    // Leave politely; the answer does not matter.
                    send(fd_, "QUIT\r\n", 6, MSG_NOSIGNAL | MSG_DONTWAIT);
                    Finish(true, "");
                } else {
                    while (!first.empty() && (first.back() == '\r'))
                        first.pop_back();
                    Finish(false, "greeting \"" + first.substr(0, 60) + "\" is not 220");
                }
                return 1;
            }
            if (line_.size() > kMaxGreetingLine) {
                Finish(false, "greeting line too long");
                return 1;
            }
            continue;
        }
        if (got == 0) {
            Finish(false, "closed before its greeting");
            return 1;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        Finish(false, std::string("receive failed: ") + strerror(errno));
        return 1;
    }
}

int MirrorProbe::Expire(int64_t nowMs)
{
    if (fd_ < 0 || nowMs < deadline_)
        return 0;
    Finish(false, std::string(connected_ ? "no greeting" : "no connection") + " within " +
                      std::to_string(timeoutMs_) + " ms");
    return 1;
}

void MirrorProbe::Finish(bool live, const std::string& reason)
{
    if (fd_ >= 0) {
        epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd_, nullptr);
        close(fd_);
        fd_ = -1;
    }
    live_ = live;
    reason_ = reason;
}
