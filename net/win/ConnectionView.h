#pragma once
// What the connection driver shows through the window it runs in: the status line in
// its three styles and the Connect button. The main dialog implements it.
#include <windows.h>

class ConnectionView {
public:
    virtual ~ConnectionView() = default;
    // Black on white, white on red, black on grey; each on screen before it returns.
    virtual void ShowStatus(const char* text) = 0;
    virtual void ShowStatusError(const char* text) = 0;
    virtual void ShowStatusReady(const char* text) = 0;
    // Shown and enabled, or hidden.
    virtual void ShowConnectButton(bool shown) = 0;
    // The window that receives the socket events and the attempt timer.
    virtual HWND NotifyWindow() = 0;
};
