#pragma once
// The application object: single-instance guard, catalogue, command line, and the
// main dialog run modally.
#include "framework/WinApp.h"

class CUpdateApp : public CWinApp {
public:
    CUpdateApp(const char* defaultConnectHost, int connectPort);
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    const char* m_defaultConnectHost;
    int m_connectPort;
};
