#pragma once
// The connection to the connect server: one attempt per start of timer 1, the connect
// socket's events, the answer to the greeting, the ready and idle states, the retry
// behind the Connect button and the socket's share of closing. Replies naming a patch
// server go to the PatchReplyHandler it is given (the patch engine).
#include <windows.h>

#include "app/LaunchOptions.h"
#include "app/PatchSession.h"
#include "net/FrameHandler.h"
#include "net/win/ConnectionView.h"

// Socket events of the connect socket (WSAAsyncSelect): lParam holds the event in its
// low word and the error code in its high word; wParam is the socket.
#define WM_SOCKET_NOTIFY (WM_USER + 1000)
// One-shot timer that starts a connection attempt.
enum { kConnectTimer = 1, kConnectDelayMs = 100, kFailureShowMs = 500 };

class ConnectionDriver : public FrameHandler {
public:
    ConnectionDriver(ConnectionView& view, PatchSession& session, LaunchOptions& options,
                     PatchReplyHandler& patch);

    // Socket library, "zr.tmp" removed, "Temp" made, and the first attempt timed.
    void Start();
    // 0 when id is not the attempt timer.
    bool OnTimer(UINT_PTR id);
    LRESULT OnSocketNotify(WPARAM wParam, LPARAM lParam);
    // Connect button while not ready: hide it and time a new attempt.
    void Retry();
    // Closes the connect socket.
    void Close();

    // Text 126 with the Connect button: ready style and launchReady 1 (the client is
    // current), or plain style and launchReady 0 (the attempt or patch ended).
    void EnterReady() override;
    void EnterIdle();
    // After a failed session: the Connect button offers a new attempt (launchReady 0)
    // and the status line keeps the error.
    void OfferRetry();

    void SendVersion() override;
    int BeginPatch(const char* host, unsigned short port, const char* user,
                   const char* password, const char* catalogue) override;
    // Where patch-server replies go from now on.
    void SetPatchHandler(PatchReplyHandler& patch) { m_patch = &patch; }

private:
    void EnterWaiting(int ready);
    void ConnectionFailed();

    ConnectionView& m_view;
    PatchSession& m_session;
    LaunchOptions& m_options;
    PatchReplyHandler* m_patch;
};
