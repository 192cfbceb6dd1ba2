// The connection driver: one connection attempt per start of timer 1, the connect
// socket's events, the replies of the connect server and the Connect and Close
// buttons' connection duties.
#include <winsock2.h>

#include "net/win/ConnectionDriver.h"

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "net/FrameDispatch.h"
#include "net/VersionRequest.h"
#include "net/win/ConnectSocket.h"

ConnectionDriver::ConnectionDriver(ConnectionView& view, PatchSession& session, LaunchOptions& options,
                                   PatchReplyHandler& patch)
    : m_view(view), m_session(session), m_options(options), m_patch(&patch)
{
}

void ConnectionDriver::Start()
{
    g_connectSocket.Startup();
    DeleteFileA("zr.tmp");
    CreateDirectoryA("Temp", nullptr);
    ::SetTimer(m_view.NotifyWindow(), kConnectTimer, kConnectDelayMs, nullptr);
}

bool ConnectionDriver::OnTimer(UINT_PTR id)
{
    if (id != kConnectTimer)
        return false;
    // One attempt per start of the timer.
    HWND window = m_view.NotifyWindow();
    ::KillTimer(window, kConnectTimer);
    m_view.ShowStatus(g_msg.Get(kMsgConnecting));
    g_connectSocket.Create(window);
    int result = g_connectSocket.Connect(m_options.connectHost, static_cast<unsigned short>(m_options.connectPort),
                                         WM_SOCKET_NOTIFY);
    if (result == kConnectStarted)
        return true;
    // A name that does not resolve ends the attempt like a refused connection,
    // instead of leaving "connecting" on screen for ever.
    if (result == kConnectUnresolved)
        g_connectSocket.Close();
    ConnectionFailed();
    return true;
}

void ConnectionDriver::ConnectionFailed()
{
    m_view.ShowStatusError(g_msg.Get(kMsgConnectFailed));
    // Blocks like Sleep and handles no message, but as a message wait it lets a
    // system that composes windows off screen put the error text on screen first.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kFailureShowMs, 0);
    EnterIdle();
}

LRESULT ConnectionDriver::OnSocketNotify(WPARAM wParam, LPARAM lParam)
{
    // Events of a socket closed since they were posted are stale.
    if (static_cast<SOCKET>(wParam) != g_connectSocket.Socket())
        return 0;
    int event = WSAGETSELECTEVENT(lParam);
    int error = WSAGETSELECTERROR(lParam);
    switch (event) {
    case FD_READ:
        if (error == 0) {
            g_connectSocket.OnRead();
            DispatchFrames(g_connectSocket, *this, m_options);
        }
        break;
    case FD_WRITE:
        if (error == 0)
            g_connectSocket.OnWrite();
        break;
    case FD_CONNECT:
        if (error != 0) {
            ConnectionFailed();
        } else if (!g_connectSocket.SelectEvents(WM_SOCKET_NOTIFY, FD_READ | FD_WRITE | FD_CLOSE)) {
            g_connectSocket.Close();
        }
        break;
    default:
        // The server closing the connection is not reported.
        break;
    }
    return 0;
}

void ConnectionDriver::EnterReady()
{
    EnterWaiting(1);
}

void ConnectionDriver::EnterIdle()
{
    EnterWaiting(0);
}

void ConnectionDriver::OfferRetry()
{
    m_session.launchReady = 0;
    m_view.ShowConnectButton(true);
}

void ConnectionDriver::EnterWaiting(int ready)
{
    const char* text = g_msg.Get(kMsgReady);
    if (ready)
        m_view.ShowStatusReady(text);
    else
        m_view.ShowStatus(text);
    m_session.launchReady = ready;
    m_view.ShowConnectButton(true);
}

void ConnectionDriver::Retry()
{
    ::SetTimer(m_view.NotifyWindow(), kConnectTimer, kConnectDelayMs, nullptr);
    m_view.ShowConnectButton(false);
}

void ConnectionDriver::Close()
{
    g_connectSocket.Close();
}

void ConnectionDriver::SendVersion()
{
    unsigned char request[kVersionRequestSize];
    // A repair asks as a fresh install does, so that every connect server answers with
    // a patch server; the engine then checks instead of walking.
    const VersionTriple fresh = {0, 0, 0};
    int size = BuildVersionRequest(m_options.runMode, m_options.repair ? fresh : m_session.installedVersion,
                                   request);
    g_connectSocket.Send(request, size);
}

int ConnectionDriver::BeginPatch(const char* host, unsigned short port, const char* user,
                                 const char* password, const char* catalogue)
{
    return m_patch->BeginPatch(host, port, user, password, catalogue);
}
