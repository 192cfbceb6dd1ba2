// The connection driver of the main dialog: one connection attempt per start of
// timer 1, the connect socket's events, the replies of the connect server and the
// Connect and Close buttons' connection duties.
#include <winsock2.h>

#include "app/LaunchOptions.h"
#include "app/Msg.h"
#include "net/FrameDispatch.h"
#include "net/VersionRequest.h"
#include "net/win/ConnectSocket.h"
#include "ui/UpdateDlg.h"
#include "ui/res/resource.h"

namespace {

enum {
    kTextConnecting = 102,
    kTextConnectFailed = 107,
    kTextReady = 126,
};

} // namespace

void CUpdateDlg::StartNetwork()
{
    g_connectSocket.Startup();
    DeleteFileA("zr.tmp");
    CreateDirectoryA("Temp", nullptr);
    // The Connect button doubles as the retry button; the skinned window normally
    // creates it, a plain hidden one stands in when it does not exist.
    if (!GetDlgItem(IDC_CONNECT_BUTTON)) {
        CreateWindowExW(0, L"BUTTON", L"Connect", WS_CHILD | BS_PUSHBUTTON, 225, 130, 84, 28, m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_CONNECT_BUTTON)),
                        GetModuleHandleW(nullptr), nullptr);
    }
    SetTimer(kConnectTimer, kConnectDelayMs);
}

void CUpdateDlg::OnTimer(UINT_PTR id)
{
    if (id != kConnectTimer) {
        Default();
        return;
    }
    // One attempt per start of the timer.
    KillTimer(kConnectTimer);
    ShowStatus(g_msg.Get(kTextConnecting));
    g_connectSocket.Create(m_hWnd);
    int result = g_connectSocket.Connect(g_launchOptions.connectHost,
                                         static_cast<unsigned short>(g_launchOptions.connectPort),
                                         WM_SOCKET_NOTIFY);
    if (result == kConnectStarted)
        return;
    // A name that does not resolve ends the attempt like a refused connection,
    // instead of leaving "connecting" on screen for ever.
    if (result == kConnectUnresolved)
        g_connectSocket.Close();
    ConnectionFailed();
}

void CUpdateDlg::ConnectionFailed()
{
    ShowStatusError(g_msg.Get(kTextConnectFailed));
    // Blocks like Sleep and handles no message, but as a message wait it lets a
    // system that composes windows off screen put the error text on screen first.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kFailureShowMs, 0);
    EnterIdle();
}

LRESULT CUpdateDlg::OnSocketNotify(WPARAM wParam, LPARAM lParam)
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
            DispatchFrames(g_connectSocket, *this, g_launchOptions);
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

void CUpdateDlg::EnterReady()
{
    ShowStatusReady(g_msg.Get(kTextReady));
    HWND button = GetDlgItem(IDC_CONNECT_BUTTON);
    ::EnableWindow(button, TRUE);
    m_session.launchReady = 1;
    ::ShowWindow(button, SW_SHOW);
}

void CUpdateDlg::EnterIdle()
{
    ShowStatus(g_msg.Get(kTextReady));
    OfferRetry();
}

void CUpdateDlg::OfferRetry()
{
    HWND button = GetDlgItem(IDC_CONNECT_BUTTON);
    ::EnableWindow(button, TRUE);
    m_session.launchReady = 0;
    ::ShowWindow(button, SW_SHOW);
}

void CUpdateDlg::OnConnectButton()
{
    if (m_session.launchReady != 0) {
        LaunchGame();
        return;
    }
    SetTimer(kConnectTimer, kConnectDelayMs);
    ::ShowWindow(GetDlgItem(IDC_CONNECT_BUTTON), SW_HIDE);
}

void CUpdateDlg::OnCloseButton()
{
    if (m_session.stopped == 0) {
        // A patch is running: its loops see the flag and end; the launcher stays.
        m_session.stopped = 1;
        g_connectSocket.Close();
        m_engine->CloseFtp();
        EnterIdle();
        return;
    }
    g_connectSocket.Close();
    m_engine->CloseFtp();
    PostQuitMessage(0);
}

void CUpdateDlg::SendVersion()
{
    unsigned char request[kVersionRequestSize];
    int size = BuildVersionRequest(g_launchOptions.runMode, m_session.installedVersion, request);
    g_connectSocket.Send(request, size);
}
