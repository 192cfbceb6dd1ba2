// The main dialog's side of the connection: its message handlers hand the timer and
// the socket events to the connection driver, and its Connect and Close buttons
// combine the driver, the patch engine and the game launch.
#include "ui/UpdateDlg.h"

#include "ui/res/resource.h"

void CUpdateDlg::StartNetwork()
{
    // The Connect button doubles as the retry button; the skinned window normally
    // creates it, a plain hidden one stands in when it does not exist.
    if (!GetDlgItem(IDC_CONNECT_BUTTON)) {
        CreateWindowExW(0, L"BUTTON", L"Connect", WS_CHILD | BS_PUSHBUTTON, 225, 130, 84, 28, m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_CONNECT_BUTTON)),
                        GetModuleHandleW(nullptr), nullptr);
    }
    m_driver->Start();
}

void CUpdateDlg::OnTimer(UINT_PTR id)
{
    if (!m_driver->OnTimer(id))
        Default();
}

LRESULT CUpdateDlg::OnSocketNotify(WPARAM wParam, LPARAM lParam)
{
    return m_driver->OnSocketNotify(wParam, lParam);
}

void CUpdateDlg::ShowConnectButton(bool shown)
{
    HWND button = GetDlgItem(IDC_CONNECT_BUTTON);
    if (shown)
        ::EnableWindow(button, TRUE);
    ::ShowWindow(button, shown ? SW_SHOW : SW_HIDE);
}

HWND CUpdateDlg::NotifyWindow()
{
    return m_hWnd;
}

void CUpdateDlg::OnConnectButton()
{
    if (m_session.launchReady != 0) {
        LaunchGame();
        return;
    }
    m_driver->Retry();
}

void CUpdateDlg::OnCloseButton()
{
    if (m_session.stopped == 0) {
        // A patch is running: its loops see the flag and end; the launcher stays.
        m_session.stopped = 1;
        m_driver->Close();
        m_engine->CloseFtp();
        m_driver->EnterIdle();
        return;
    }
    m_driver->Close();
    m_engine->CloseFtp();
    PostQuitMessage(0);
}
