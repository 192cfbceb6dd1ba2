#include "tools/connect_server/MirrorRotation.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <climits>

namespace {

std::string ResolveIPv4(const std::string& host)
{
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return "";
    char text[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text, sizeof(text));
    freeaddrinfo(found);
    return text;
}

} // namespace

MirrorRotation::MirrorRotation(const std::vector<PatchServerEntry>& servers, ClientLog& log)
    : servers_(servers), log_(log), live_(servers.size(), true)
{
    for (const PatchServerEntry& server : servers)
        probes_.emplace_back(new MirrorProbe(ResolveIPv4(server.host), server.port));
}

MirrorRotation::~MirrorRotation() = default;

void MirrorRotation::Start(int epollFd, int64_t nowMs, int intervalMs, int timeoutMs)
{
    epollFd_ = epollFd;
    intervalMs_ = intervalMs;
    timeoutMs_ = timeoutMs;
    nextRoundMs_ = nowMs;
    Tick(nowMs);
}

int MirrorRotation::HandleEvent(int fd, uint32_t events)
{
    for (size_t i = 0; i < probes_.size(); ++i) {
        if (probes_[i]->Fd() != fd)
            continue;
        if (probes_[i]->OnEvent(events))
            Ended(i);
        return 1;
    }
    return 0;
}

void MirrorRotation::Tick(int64_t nowMs)
{
    if (intervalMs_ <= 0)
        return;
    for (size_t i = 0; i < probes_.size(); ++i)
        if (probes_[i]->Expire(nowMs))
            Ended(i);
    if (nowMs < nextRoundMs_)
        return;
    nextRoundMs_ = nowMs + intervalMs_;
    for (size_t i = 0; i < probes_.size(); ++i) {
        if (probes_[i]->Running())
            continue;   // still waiting from the last round (interval shorter than timeout)
        probes_[i]->Begin(epollFd_, nowMs, timeoutMs_);
        if (!probes_[i]->Running())
            Ended(i);   // decided at once, e.g. connection refused on the spot
    }
}

int64_t MirrorRotation::NextWakeMs() const
{
    if (intervalMs_ <= 0)
        return INT64_MAX;
    int64_t wake = nextRoundMs_;
    for (const auto& probe : probes_)
        if (probe->Running())
            wake = std::min(wake, probe->Deadline());
    return wake;
}

void MirrorRotation::Ended(size_t index)
{
    const PatchServerEntry& server = servers_[index];
    bool live = probes_[index]->Live();
    if (live != live_[index]) {
        if (live)
            log_.Line("patch server %s:%u is live again", server.host.c_str(), server.port);
        else
            log_.Line("patch server %s:%u is down (%s): not handed out until it answers",
                      server.host.c_str(), server.port, probes_[index]->Reason().c_str());
        live_[index] = live;
    }
    if (LiveCount() == 0)
        ReportNoneLive();
    else
        noneLive_ = false;
}

void MirrorRotation::ReportNoneLive()
{
    if (noneLive_)
        return;
    noneLive_ = true;
    log_.Line("no patch server is live: handing them out in the configured order");
}

size_t MirrorRotation::LiveCount() const
{
    return static_cast<size_t>(std::count(live_.begin(), live_.end(), true));
}

const PatchServerEntry& MirrorRotation::Next()
{
    size_t count = servers_.size();
    if (noneLive_)
        return servers_[next_++ % count];
    for (size_t tried = 0; tried < count; ++tried) {
        size_t index = next_++ % count;
        if (live_[index])
            return servers_[index];
    }
    return servers_[next_++ % count];
}
