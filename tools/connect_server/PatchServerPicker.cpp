#include "tools/connect_server/PatchServerPicker.h"

#include <algorithm>

PatchServerPicker::PatchServerPicker(const ServerConfig& config, ClientLog& log)
    : config_(config), main_(config.patchServers, log)
{
    if (!config.testPatchServers.empty())
        test_.reset(new MirrorRotation(config.testPatchServers, log));
}

void PatchServerPicker::Start(int epollFd, int64_t nowMs)
{
    main_.Start(epollFd, nowMs, config_.mirrorCheckIntervalMs, config_.mirrorCheckTimeoutMs);
    if (test_)
        test_->Start(epollFd, nowMs, config_.mirrorCheckIntervalMs, config_.mirrorCheckTimeoutMs);
}

int PatchServerPicker::HandleEvent(int fd, uint32_t events)
{
    return main_.HandleEvent(fd, events) || (test_ && test_->HandleEvent(fd, events));
}

void PatchServerPicker::Tick(int64_t nowMs)
{
    main_.Tick(nowMs);
    if (test_)
        test_->Tick(nowMs);
}

int64_t PatchServerPicker::NextWakeMs() const
{
    return test_ ? std::min(main_.NextWakeMs(), test_->NextWakeMs()) : main_.NextWakeMs();
}

const PatchServerEntry& PatchServerPicker::Next(bool testChannel)
{
    return (testChannel && test_) ? test_->Next() : main_.Next();
}
