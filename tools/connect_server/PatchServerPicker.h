#pragma once
// The patch servers a client that needs a patch is sent to: the normal ones and, when
// the configuration has them, the test channel's own, each in a rotation of its own
// that skips servers whose check failed (see MirrorRotation).
#include <cstdint>
#include <memory>

#include "tools/connect_server/ClientLog.h"
#include "tools/connect_server/MirrorRotation.h"
#include "tools/connect_server/ServerConfig.h"

class PatchServerPicker {
public:
    PatchServerPicker(const ServerConfig& config, ClientLog& log);
    PatchServerPicker(const PatchServerPicker&) = delete;
    PatchServerPicker& operator=(const PatchServerPicker&) = delete;

    // Starts the checks in the event loop `epollFd`.
    void Start(int epollFd, int64_t nowMs);
    // An event of a socket that is not a client's: 1 when it was a check's.
    int HandleEvent(int fd, uint32_t events);
    void Tick(int64_t nowMs);
    // When Tick has something to do next; INT64_MAX when nothing is pending.
    int64_t NextWakeMs() const;
    const PatchServerEntry& Next(bool testChannel);

private:
    const ServerConfig& config_;
    MirrorRotation main_;
    std::unique_ptr<MirrorRotation> test_;   // only with a test channel of its own
};
