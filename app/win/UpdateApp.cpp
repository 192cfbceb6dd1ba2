#include "app/UpdateApp.h"

#include "app/LaunchOptions.h"
#include "app/Msg.h"
#include "framework/MessageBox.h"
#include "ui/UpdateDlg.h"

CUpdateApp::CUpdateApp(const char* defaultConnectHost, int connectPort, const char* publisherKeys)
    : CWinApp("ZR Auto Update"), m_defaultConnectHost(defaultConnectHost), m_connectPort(connectPort),
      m_publisherKeys(publisherKeys)
{
}

BOOL CUpdateApp::InitInstance()
{
    // The mutex handle stays open for the life of the process; the system releases it.
    CreateMutexA(nullptr, TRUE, "ZR AutoUpdate");
    bool alreadyRunning = GetLastError() == ERROR_ALREADY_EXISTS;
    g_msg.LoadCTF("message.ctf");
    if (alreadyRunning) {
        MessageBoxUtf8(nullptr, g_msg.Get(127), m_pszAppName, MB_ICONSTOP | MB_OK);
        return FALSE;
    }
    AfxEnableControlContainer();
    ParseCommandLine(g_launchOptions, m_lpCmdLine);
    SetConnectServer(g_launchOptions, m_defaultConnectHost, m_connectPort);
    // The build refuses a malformed key setting, so a failure here cannot happen.
    ParsePublisherKeys(m_publisherKeys, g_launchOptions.publisherKeys);
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
