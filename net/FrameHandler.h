#pragma once
// What the connect server's replies start. The connection driver implements
// FrameHandler; the patch engine takes the patch-server replies as a
// PatchReplyHandler.

class PatchReplyHandler {
public:
    virtual ~PatchReplyHandler() = default;

    // A patch server was named. The strings are NUL-terminated and stay valid for the
    // whole call, also while the call pumps window messages and more frames arrive.
    // The result is not used by the dispatcher.
    virtual int BeginPatch(const char* host, unsigned short port, const char* user,
                           const char* password, const char* catalogue) = 0;
};

class FrameHandler : public PatchReplyHandler {
public:
    // The server greeted: send the version request.
    virtual void SendVersion() = 0;
    // The client is up to date.
    virtual void EnterReady() = 0;
};
