#include "tools/loadgen/LoadRunner.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "net/FrameFormat.h"
#include "net/PatchServerFrame.h"
#include "net/VersionRequest.h"

namespace {

double NowMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct LoadClient {
    int fd = -1;
    double started = 0;
    uint8_t in[4 + 4096];
    size_t held = 0;
    bool greeted = false;
    bool done = false;
};

// Size of the frame at the start of `data`, or 0 while its header is incomplete.
size_t FrameSize(const uint8_t* data, size_t held)
{
    if (held >= 2 && data[0] == kFrameShort)
        return data[1];
    if (held >= 3 && data[0] == kFrameLong)
        return (static_cast<size_t>(data[1]) << 8) | data[2];
    return 0;
}

class Runner {
public:
    Runner(const LoadOptions& options, LoadResult& result) : options_(options), result_(result) {}
    ~Runner();
    int Run(std::string& error);

private:
    int OpenAll(const sockaddr_in& address, std::string& error);
    void HandleEvent(LoadClient& client);
    void Finish(LoadClient& client, bool answered, int op);

    const LoadOptions& options_;
    LoadResult& result_;
    std::vector<LoadClient> clients_;
    int epollFd_ = -1;
    int open_ = 0;
};

Runner::~Runner()
{
    for (LoadClient& client : clients_) {
        if (client.fd >= 0)
            close(client.fd);
    }
    if (epollFd_ >= 0)
        close(epollFd_);
}

void Runner::Finish(LoadClient& client, bool answered, int op)
{
    if (client.done)
        return;
    client.done = true;
    if (answered) {
        ++result_.answered;
        if (op == 2)
            ++result_.current;
        else
            ++result_.patch;
        result_.latency.Add(NowMs() - client.started);
    } else {
        ++result_.failed;
    }
    close(client.fd);
    client.fd = -1;
    --open_;
}

void Runner::HandleEvent(LoadClient& client)
{
    for (;;) {
        ssize_t got = recv(client.fd, client.in + client.held, sizeof(client.in) - client.held, 0);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            Finish(client, false, 0);
            return;
        }
        client.held += static_cast<size_t>(got);
        if (!client.greeted) {
            if (client.held < 4)
                continue;
            if (memcmp(client.in, "\xC1\x04\x00\x01", 4) != 0) {
                Finish(client, false, 0);
                return;
            }
            client.greeted = true;
            client.held -= 4;
            memmove(client.in, client.in + 4, client.held);
            uint8_t request[kVersionRequestSize] = {
                kFrameShort, kVersionRequestSize, static_cast<uint8_t>(options_.op),
                options_.version[0], options_.version[1], options_.version[2]};
            if (send(client.fd, request, sizeof(request), MSG_NOSIGNAL) != sizeof(request)) {
                Finish(client, false, 0);
                return;
            }
        }
        size_t size = FrameSize(client.in, client.held);
        if (size != 0 && client.held >= size) {
            int op = FrameOpCode(client.in);
            bool patch = op == kOpPatchServer || op == kOpPatchServerRelease || op == kOpPatchServerLocal;
            bool valid = (op == kOpUpToDate && size == 3) || (patch && size >= kPatchFrameMinSize);
            Finish(client, valid, op);
            return;
        }
        if (client.held == sizeof(client.in)) {
            Finish(client, false, 0);
            return;
        }
    }
}

int Runner::OpenAll(const sockaddr_in& address, std::string& error)
{
    clients_.resize(static_cast<size_t>(options_.clients));
    for (size_t i = 0; i < clients_.size(); ++i) {
        LoadClient& client = clients_[i];
        client.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (client.fd < 0) {
            error = std::string("cannot open connection ") + std::to_string(i + 1) + ": " +
                    strerror(errno) + " (raise ulimit -n)";
            return 0;
        }
        ++open_;
        client.started = NowMs();
        int rc = connect(client.fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
        if (rc != 0 && errno != EINPROGRESS) {
            Finish(client, false, 0);
            continue;
        }
        epoll_event event;
        memset(&event, 0, sizeof(event));
        event.events = EPOLLIN | EPOLLRDHUP;
        event.data.u64 = i;
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, client.fd, &event);
    }
    return 1;
}

int Runner::Run(std::string& error)
{
    sockaddr_in address;
    memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(options_.port));
    if (inet_pton(AF_INET, options_.host.c_str(), &address.sin_addr) != 1 ||
        (ntohl(address.sin_addr.s_addr) >> 24) != 127) {
        error = "the load generator only talks to loopback addresses (127.x.x.x), not " +
                options_.host;
        return 0;
    }
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd_ < 0) {
        error = std::string("cannot create the event loop: ") + strerror(errno);
        return 0;
    }
    double start = NowMs();
    double deadline = start + options_.timeLimitMs;
    if (!OpenAll(address, error))
        return 0;

    std::vector<epoll_event> events(1024);
    while (open_ > 0) {
        int wait = static_cast<int>(deadline - NowMs());
        if (wait <= 0)
            break;
        int count = epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()), wait);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            error = std::string("event loop failed: ") + strerror(errno);
            return 0;
        }
        for (int i = 0; i < count; ++i) {
            LoadClient& client = clients_[events[i].data.u64];
            if (!client.done)
                HandleEvent(client);
        }
    }
    for (LoadClient& client : clients_)
        Finish(client, false, 0);   // still open when time ran out
    result_.elapsedMs = NowMs() - start;
    return 1;
}

} // namespace

int RunLoad(const LoadOptions& options, LoadResult& result, std::string& error)
{
    result = LoadResult();
    if (options.clients < 1 || options.clients > kMaxLoadClients) {
        error = "the number of clients must be from 1 to " + std::to_string(kMaxLoadClients);
        return 0;
    }
    if (options.timeLimitMs < 1 || options.timeLimitMs > kMaxLoadTimeMs) {
        error = "the time limit must be from 1 ms to " + std::to_string(kMaxLoadTimeMs) + " ms";
        return 0;
    }
    if (options.op < 5 || options.op > 7 || options.port < 1 || options.port > 65535) {
        error = "the request op code must be 5, 6 or 7 and the port from 1 to 65535";
        return 0;
    }
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    Runner runner(options, result);
    return runner.Run(error);
}
