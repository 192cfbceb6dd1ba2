#include "app/win/UpdateApp.h"

#include "app/AppTitle.h"
#include "app/LaunchOptions.h"
#include "app/MessageIds.h"
#include "app/Msg.h"
#include "framework/MessageBox.h"
#include "patch/LauncherKeys.h"
#include "ui/UpdateDlg.h"

CUpdateApp::CUpdateApp(const char* defaultConnectHost, int connectPort)
    : CWinApp(kAppTitle), m_defaultConnectHost(defaultConnectHost), m_connectPort(connectPort)
{
}

BOOL CUpdateApp::InitInstance()
{
    // The mutex handle stays open for the life of the process; the system releases it.
    CreateMutexA(nullptr, TRUE, "ZR AutoUpdate");
    bool alreadyRunning = GetLastError() == ERROR_ALREADY_EXISTS;
    g_msg.LoadCTF("message.ctf");
    if (alreadyRunning) {
        MessageBoxUtf8(nullptr, g_msg.Get(kMsgAlreadyRunning), m_pszAppName, MB_ICONSTOP | MB_OK);
        return FALSE;
    }
    AfxEnableControlContainer();
    ParseCommandLine(g_launchOptions, m_lpCmdLine);
    SetConnectServer(g_launchOptions, m_defaultConnectHost, m_connectPort);
    // The build checked the keys' form; a launcher without keys takes manifests unsigned.
    ParsePublisherKeys(ZR_PUBLISHER_KEYS, g_publisherKeys);
    Enable3dControlsStatic();

    CUpdateDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CUpdateApp::ExitInstance()
{
    return CWinApp::ExitInstance();
}
