#pragma once
// What the connect server's replies start; the main dialog implements it.

class FrameHandler {
public:
    virtual ~FrameHandler() = default;

    // The server greeted: send the version request.
    virtual void SendVersion() = 0;
    // The client is up to date.
    virtual void EnterReady() = 0;
    // A patch server was named. The strings are NUL-terminated and stay valid for the
    // whole call, also while the call pumps window messages and more frames arrive.
    // The result is not used by the dispatcher.
    virtual int BeginPatch(const char* host, unsigned short port, const char* user,
                           const char* password, const char* catalogue) = 0;
};
