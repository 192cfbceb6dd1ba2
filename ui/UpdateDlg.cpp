#include "ui/UpdateDlg.h"

#include <cstring>

#include "app/ClientConfig.h"
#include "app/LaunchOptions.h"
#include "ui/res/resource.h"

BEGIN_MESSAGE_MAP(CUpdateDlg, CDialog)
    ON_BN_CLICKED(IDC_CLOSE_BUTTON, OnCloseButton)
    ON_WM_CLOSE()
    ON_BN_CLICKED(IDC_CONNECT_BUTTON, OnConnectButton)
    ON_WM_TIMER()
    ON_MESSAGE(WM_SOCKET_NOTIFY, OnSocketNotify)
END_MESSAGE_MAP()

CUpdateDlg::CUpdateDlg() : CDialog(IDD_UPDATE)
{
    // The session record: installed version first, then the game directory and flags.
    LoadInstalledVersion(m_session, g_launchOptions);
    GetCurrentDirectoryA(sizeof(m_session.gameDir), m_session.gameDir);
    memset(m_session.ftpHost, 0, sizeof(m_session.ftpHost));
    m_session.launchReady = 0;
    m_session.stopped = 1;
    m_session.listCompressed = 0;
    m_session.resumeFromLog = 0;
}

CUpdateDlg::~CUpdateDlg() = default;

BOOL CUpdateDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowTextW(m_hWnd, L"ZR Auto Update");
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 423, 352, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_closeButton = CreateWindowExW(0, L"BUTTON", L"Close", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                    315, 130, 84, 28, m_hWnd,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_CLOSE_BUTTON)),
                                    GetModuleHandleW(nullptr), nullptr);
    CenterWindow();
    StartNetwork();
    return TRUE;
}

void CUpdateDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_STATUS, m_status);
    DDX_Control(dx, IDC_VERSION_COUNTER, m_versionCounter);
    DDX_Control(dx, IDC_FILE_COUNTER, m_fileCounter);
}

void CUpdateDlg::OnClose()
{
    Default();
}

BOOL CUpdateDlg::PreTranslateMessage(MSG* msg)
{
    // Escape never closes the launcher.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}
