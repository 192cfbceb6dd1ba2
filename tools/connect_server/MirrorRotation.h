#pragma once
// The patch servers of one channel, handed out in turn, skipping those whose last
// check failed. Each is checked again every interval (see MirrorProbe) inside the
// connect server's event loop. When none is live the log says so and they are handed
// out in the configured order, as if nothing were checked: a player may still get
// through, and a check that is wrong must not shut everyone out.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/connect_server/ClientLog.h"
#include "tools/connect_server/MirrorProbe.h"
#include "tools/connect_server/ServerConfig.h"

class MirrorRotation {
public:
    // Resolves the servers' host names (IPv4) once, here, outside the event loop.
    MirrorRotation(const std::vector<PatchServerEntry>& servers, ClientLog& log);
    ~MirrorRotation();
    MirrorRotation(const MirrorRotation&) = delete;
    MirrorRotation& operator=(const MirrorRotation&) = delete;

    // Starts the first round of checks; intervalMs 0 turns checking off.
    void Start(int epollFd, int64_t nowMs, int intervalMs, int timeoutMs);
    // Handles an event of one of the checks' sockets; 0 when `fd` is not one of them.
    int HandleEvent(int fd, uint32_t events);
    // Ends checks whose time is up and begins the next round when it is due.
    void Tick(int64_t nowMs);
    // When Tick has something to do next; INT64_MAX when nothing is pending.
    int64_t NextWakeMs() const;

    // The next server to hand out.
    const PatchServerEntry& Next();
    size_t LiveCount() const;

private:
    void Ended(size_t index);
    void ReportNoneLive();

    const std::vector<PatchServerEntry>& servers_;
    ClientLog& log_;
    std::vector<std::unique_ptr<MirrorProbe>> probes_;
    std::vector<bool> live_;
    int epollFd_ = -1;
    int intervalMs_ = 0;
    int timeoutMs_ = 0;
    int64_t nextRoundMs_ = 0;
    size_t next_ = 0;
    bool noneLive_ = false;
};
