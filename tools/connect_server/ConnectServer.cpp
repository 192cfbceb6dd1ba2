#include "tools/connect_server/ConnectServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

int64_t NowMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::string VersionText(PackedVersion packed)
{
    char text[16];
    FormatVersionPlain(UnpackVersion(packed), text, sizeof text);
    return text;
}

} // namespace

struct ConnectServer::Client {
    int fd = -1;
    uint32_t address = 0;                 // network byte order
    char peer[32] = {};                   // "a.b.c.d:port" for the log
    int64_t deadline = 0;
    std::list<Client*>::iterator deadlineEntry;
    VersionRequest request;
    uint8_t out[kGreetingSize + kPatchReplySize] = {};
    size_t outLength = 0;
    size_t outSent = 0;
    bool answered = false;
    bool wantWrite = false;
    std::string answer;                   // what the log line reports
};

ConnectServer::ConnectServer(const ServerConfig& config, ClientLog& log)
    : config_(config), log_(log), catalogue_(config.cataloguePath)
{
    if (!config.testCataloguePath.empty())
        testCatalogue_.reset(new CatalogueWatcher(config.testCataloguePath));
}

ConnectServer::~ConnectServer()
{
    for (Client* client : clientsByFd_) {
        if (client) {
            close(client->fd);
            delete client;
        }
    }
    for (int fd : {listenFd_, epollFd_, signalFd_, reserveFd_}) {
        if (fd >= 0)
            close(fd);
    }
}

int ConnectServer::Start(std::string& error)
{
    std::string problem;
    if (!catalogue_.Refresh(problem)) {
        error = problem;
        return 0;
    }
    if (testCatalogue_ && !testCatalogue_->Refresh(problem)) {
        error = problem;
        return 0;
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0 ||
        (signalFd_ = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC)) < 0) {
        error = std::string("cannot take SIGTERM and SIGINT into the event loop: ") + strerror(errno);
        return 0;
    }
    signal(SIGPIPE, SIG_IGN);

    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = std::string("cannot create the listening socket: ") + strerror(errno);
        return 0;
    }
    int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in address;
    memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_port = htons(config_.listenPort);
    inet_pton(AF_INET, config_.listenAddress.c_str(), &address.sin_addr);
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listenFd_, 65535) != 0) {
        error = "cannot listen on " + config_.listenAddress + ":" +
                std::to_string(config_.listenPort) + ": " + strerror(errno);
        return 0;
    }
    socklen_t length = sizeof(address);
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    boundPort_ = ntohs(address.sin_port);

    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd_ < 0) {
        error = std::string("cannot create the event loop: ") + strerror(errno);
        return 0;
    }
    for (int fd : {listenFd_, signalFd_}) {
        epoll_event event;
        memset(&event, 0, sizeof(event));
        event.events = EPOLLIN;
        event.data.fd = fd;
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event);
    }
    reserveFd_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
    log_.Line("listening on %s:%u, catalogue %s (newest %s)", config_.listenAddress.c_str(),
              boundPort_, catalogue_.Path().c_str(), VersionText(catalogue_.Latest()).c_str());
    log_.Flush();
    return 1;
}

int ConnectServer::Run()
{
    epoll_event events[256];
    for (;;) {
        int count = epoll_wait(epollFd_, events, 256, WaitTimeoutMs());
        if (count < 0) {
            if (errno == EINTR)
                continue;
            log_.Line("event loop failed: %s", strerror(errno));
            log_.Flush();
            return 0;
        }
        for (int i = 0; i < count; ++i) {
            int fd = events[i].data.fd;
            if (fd == signalFd_) {
                signalfd_siginfo info;
                ssize_t got = read(signalFd_, &info, sizeof(info));
                bool isTerm = (got == sizeof(info) && info.ssi_signo == SIGTERM);
                Shutdown(isTerm ? "SIGTERM" : "SIGINT");
                return 1;
            }
            if (fd == listenFd_) {
                AcceptClients();
                continue;
            }
            if (fd >= 0 && static_cast<size_t>(fd) < clientsByFd_.size() && clientsByFd_[fd])
                HandleClientEvent(clientsByFd_[fd], events[i].events);
        }
        ExpireClients();
        log_.Flush();
    }
}

int ConnectServer::WaitTimeoutMs() const
{
    if (byDeadline_.empty())
        return -1;
    int64_t left = byDeadline_.front()->deadline - NowMs();
    return left < 0 ? 0 : static_cast<int>(left);
}

void ConnectServer::AcceptClients()
{
    // Take everything that is waiting, so a burst of connections is served in one go.
    while (AcceptOne()) {
    }
}

int ConnectServer::AcceptOne()
{
    sockaddr_in peer;
    socklen_t peerLength = sizeof(peer);
    int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &peerLength,
                     SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        if ((errno == EMFILE || errno == ENFILE) && reserveFd_ >= 0) {
            // Out of descriptors: take the connection with the reserve and close it,
            // or it would stay in the queue and wake the loop forever.
            close(reserveFd_);
            int shed = accept(listenFd_, nullptr, nullptr);
            if (shed >= 0)
                close(shed);
            reserveFd_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
            log_.Line("dropped a connection: out of file descriptors");
            return 1;
        }
        return 0;   // EAGAIN, or an error that concerns only that one connection
    }

    char peerText[32];
    char addressText[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &peer.sin_addr, addressText, sizeof(addressText));
    snprintf(peerText, sizeof(peerText), "%s:%u", addressText, ntohs(peer.sin_port));
    uint32_t address = peer.sin_addr.s_addr;

    if (clientCount_ >= config_.maxClients) {
        log_.Line("%s dropped: server full (%d clients)", peerText, clientCount_);
        close(fd);
        return 1;
    }
    int& fromAddress = perAddress_[address];
    if (config_.maxPerAddress > 0 && fromAddress >= config_.maxPerAddress) {
        log_.Line("%s dropped: too many connections from this address (limit %d)", peerText,
                  config_.maxPerAddress);
        if (fromAddress == 0)
            perAddress_.erase(address);
        close(fd);
        return 1;
    }
    ++fromAddress;
    ++clientCount_;

    Client* client = new Client();
    client->fd = fd;
    client->address = address;
    memcpy(client->peer, peerText, sizeof(peerText));
    client->deadline = NowMs() + config_.clientTimeoutMs;
    client->deadlineEntry = byDeadline_.insert(byDeadline_.end(), client);
    if (clientsByFd_.size() <= static_cast<size_t>(fd))
        clientsByFd_.resize(static_cast<size_t>(fd) + 1024, nullptr);
    clientsByFd_[fd] = client;

    epoll_event event;
    memset(&event, 0, sizeof(event));
    event.events = EPOLLIN | EPOLLRDHUP;
    event.data.fd = fd;
    if (epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event) != 0) {
        Drop(client, std::string("cannot watch the socket: ") + strerror(errno));
        return 1;
    }
    BuildGreeting(client->out);
    client->outLength = kGreetingSize;
    WritePending(client);
    return 1;
}

void ConnectServer::HandleClientEvent(Client* client, uint32_t events)
{
    int fd = client->fd;
    if (events & EPOLLOUT) {
        WritePending(client);
        if (clientsByFd_[fd] != client)
            return;   // closed after its reply went out
    }
    if (events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR))
        ReadRequest(client);
}

void ConnectServer::ReadRequest(Client* client)
{
    uint8_t buffer[512];
    int fd = client->fd;
    for (;;) {
        ssize_t got = recv(client->fd, buffer, sizeof(buffer), 0);
        if (got > 0) {
            if (client->answered)
                continue;   // nothing more is expected; the reply is on its way
            int state = client->request.Feed(buffer, static_cast<size_t>(got));
            if (state == kRequestBad) {
                Drop(client, client->request.Problem());
                return;
            }
            if (state == kRequestComplete) {
                Answer(client);
                if (clientsByFd_[fd] != client)
                    return;
            }
            continue;
        }
        if (got == 0) {
            if (!client->answered)
                Drop(client, "closed by the client before its request was complete");
            else
                Drop(client, "closed by the client before the reply was sent");
            return;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        if (errno == EINTR)
            continue;
        Drop(client, std::string("receive failed: ") + strerror(errno));
        return;
    }
}

void ConnectServer::ReportCatalogueProblem(const std::string& problem)
{
    if (problem == lastCatalogueProblem_)
        return;
    lastCatalogueProblem_ = problem;
    if (!problem.empty())
        log_.Line("%s; the last good read stays in use", problem.c_str());
}

const PatchServerEntry& ConnectServer::NextPatchServer(bool testChannel)
{
    if (testChannel && !config_.testPatchServers.empty())
        return config_.testPatchServers[nextTestServer_++ % config_.testPatchServers.size()];
    return config_.patchServers[nextServer_++ % config_.patchServers.size()];
}

void ConnectServer::Answer(Client* client)
{
    client->answered = true;
    int requestOp = client->request.Op();
    bool testChannel = (requestOp == kOpVersionTest);
    CatalogueWatcher& watcher =
        (testChannel && testCatalogue_) ? *testCatalogue_ : catalogue_;
    std::string problem;
    watcher.Refresh(problem);
    ReportCatalogueProblem(problem);

    VersionTriple version = client->request.Version();
    PackedVersion installed = PackVersion(version);
    PackedVersion latest = watcher.Latest();
    char text[256];
    if (installed >= latest) {
        BuildUpToDate(client->out + client->outLength);
        client->outLength += kUpToDateSize;
        snprintf(text, sizeof(text), "current (newest %s)", VersionText(latest).c_str());
    } else {
        int replyOp = config_.replyOp[requestOp - kOpVersionNormal];
        const PatchServerEntry& server = NextPatchServer(testChannel);
        BuildPatchReply(replyOp, server, client->out + client->outLength);
        client->outLength += kPatchReplySize;
        snprintf(text, sizeof(text), "patch op=%02X server=%s:%u catalogue=%s (newest %s)",
                 replyOp, server.host.c_str(), server.port, server.catalogue.c_str(),
                 VersionText(latest).c_str());
    }
    char request[64];
    snprintf(request, sizeof(request), "request=%02X version=%u.%u.%u ", requestOp,
             version.major, version.minor, version.patch);
    client->answer = std::string(request) + "answer=" + text;
    WritePending(client);
}

void ConnectServer::WritePending(Client* client)
{
    while (client->outSent < client->outLength) {
        ssize_t sent = send(client->fd, client->out + client->outSent,
                            client->outLength - client->outSent, MSG_NOSIGNAL);
        if (sent > 0) {
            client->outSent += static_cast<size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!client->wantWrite) {
                epoll_event event;
                memset(&event, 0, sizeof(event));
                event.events = EPOLLIN | EPOLLRDHUP | EPOLLOUT;
                event.data.fd = client->fd;
                epoll_ctl(epollFd_, EPOLL_CTL_MOD, client->fd, &event);
                client->wantWrite = true;
            }
            return;
        }
        Drop(client, std::string("send failed: ") + strerror(errno));
        return;
    }
    if (client->wantWrite) {
        epoll_event event;
        memset(&event, 0, sizeof(event));
        event.events = EPOLLIN | EPOLLRDHUP;
        event.data.fd = client->fd;
        epoll_ctl(epollFd_, EPOLL_CTL_MOD, client->fd, &event);
        client->wantWrite = false;
    }
    if (client->answered) {
        log_.Line("%s %s", client->peer, client->answer.c_str());
        CloseClient(client);
    }
}

void ConnectServer::Drop(Client* client, const std::string& why)
{
    if (client->answered && !client->answer.empty())
        log_.Line("%s %s; dropped: %s", client->peer, client->answer.c_str(), why.c_str());
    else
        log_.Line("%s dropped: %s", client->peer, why.c_str());
    CloseClient(client);
}

void ConnectServer::CloseClient(Client* client)
{
    epoll_ctl(epollFd_, EPOLL_CTL_DEL, client->fd, nullptr);
    close(client->fd);
    clientsByFd_[client->fd] = nullptr;
    byDeadline_.erase(client->deadlineEntry);
    auto entry = perAddress_.find(client->address);
    if (entry != perAddress_.end() && --entry->second <= 0)
        perAddress_.erase(entry);
    --clientCount_;
    delete client;
}

void ConnectServer::ExpireClients()
{
    int64_t now = NowMs();
    while (!byDeadline_.empty() && byDeadline_.front()->deadline <= now) {
        Client* client = byDeadline_.front();
        char why[96];
        snprintf(why, sizeof(why), "timeout after %d ms", config_.clientTimeoutMs);
        Drop(client, why);
    }
}

void ConnectServer::Shutdown(const char* signalName)
{
    log_.Line("stopping on %s with %d clients connected", signalName, clientCount_);
    close(listenFd_);
    listenFd_ = -1;
    while (!byDeadline_.empty())
        Drop(byDeadline_.front(), "server stopping");
    log_.Line("stopped");
    log_.Flush();
}
