#include "ui/UpdateDlg.h"

#include <cstring>

#include "app/win/ClientConfig.h"
#include "app/LaunchOptions.h"
#include "ui/res/resource.h"

BEGIN_MESSAGE_MAP(CUpdateDlg, CDibDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_CTLCOLOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOVE()
    ON_BN_CLICKED(IDC_CLOSE_BUTTON, OnCloseButton)
    ON_BN_CLICKED(IDC_OPTION_BUTTON, OpenOptionsDialog)
    ON_WM_CLOSE()
    ON_BN_CLICKED(IDC_CONNECT_BUTTON, OnConnectButton)
    ON_WM_TIMER()
    ON_MESSAGE(WM_SOCKET_NOTIFY, OnSocketNotify)
END_MESSAGE_MAP()

CUpdateDlg::CUpdateDlg() : CDibDialog(IDD_UPDATE)
{
    m_icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                           0, 0, LR_DEFAULTSIZE | LR_SHARED));
    // The session record: installed version first, then the game directory and flags.
    LoadInstalledVersion(m_session, g_launchOptions);
    GetCurrentDirectoryA(sizeof(m_session.gameDir), m_session.gameDir);
    memset(m_session.ftpHost, 0, sizeof(m_session.ftpHost));
    m_session.launchReady = 0;
    m_session.stopped = 1;
    m_session.listCompressed = 0;
    m_session.resumeFromLog = 0;
    m_engine.reset(new PatchEngine(m_session, g_launchOptions, *this));
    m_driver.reset(new ConnectionDriver(*this, m_session, g_launchOptions, *m_engine));
}

CUpdateDlg::~CUpdateDlg() = default;

BOOL CUpdateDlg::OnInitDialog()
{
    CDibDialog::OnInitDialog();
    InitWindow();
    StartNetwork();
    return TRUE;
}

void CUpdateDlg::DoDataExchange(CDataExchange* dx)
{
    CDibDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PROGRESS_VERSION, m_progressVersion);
    DDX_Control(dx, IDC_PROGRESS_FILE, m_progressFile);
    DDX_Control(dx, IDC_STATUS, m_status);
    DDX_Control(dx, IDC_LINK, m_link);
    DDX_Control(dx, IDC_FILE_COUNTER, m_fileCounter);
    DDX_Control(dx, IDC_VERSION_COUNTER, m_versionCounter);
    DDX_Control(dx, IDC_NOTICE, m_notice);
}

void CUpdateDlg::OnClose()
{
    // The FTP session ends with the window; the connect socket is left to the quit.
    m_engine->CloseFtp();
    CloseWindowPart();
}
