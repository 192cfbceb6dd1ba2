#include "net/FrameDispatch.h"

#include "net/PatchServerFrame.h"

namespace {

void HandlePatchServer(const unsigned char* frame, int size, int opCode,
                       FrameHandler& handler, LaunchOptions& options)
{
    // Copied out of the pool: BeginPatch pumps messages, and a nested receive may
    // reuse this frame's slot while it runs.
    PatchServerAddress address;
    if (!DecodePatchServerFrame(frame, size, opCode, address))
        return;
    if (opCode == kOpPatchServerRelease && options.runMode == kRunLocal)
        options.runMode = kRunRelease;
    handler.BeginPatch(address.host, address.port, address.user, address.password,
                       address.catalogue);
}

void HandleFrame(const unsigned char* frame, int size, FrameHandler& handler,
                 LaunchOptions& options)
{
    // The cutter never stores a frame shorter than its header; frames pushed by
    // other means are checked here so the op code is never read past the end.
    int headerSize = frame[0] == kFrameLong ? kLongHeaderSize : kShortHeaderSize;
    if (size < headerSize)
        return;
    int opCode = FrameOpCode(frame);
    switch (opCode) {
    case kOpGreeting:
        if (size > 3 && frame[3] == 0x01)
            handler.SendVersion();
        break;
    case kOpUpToDate:
        handler.EnterReady();
        break;
    case kOpPatchServer:
    case kOpPatchServerRelease:
    case kOpPatchServerLocal:
        HandlePatchServer(frame, size, opCode, handler, options);
        break;
    default:
        break;
    }
}

}  // namespace

int DispatchFrames(FrameReceiver& receiver, FrameHandler& handler, LaunchOptions& options)
{
    int popped = 0;
    int size = 0;
    while (const unsigned char* frame = receiver.PopFrame(&size)) {
        ++popped;
        HandleFrame(frame, size, handler, options);
    }
    return popped;
}
