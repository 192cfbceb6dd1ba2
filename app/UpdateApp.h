#pragma once
// The application object: single-instance guard, catalogue, command line, and the
// main dialog run modally.
#include "framework/WinApp.h"

class CUpdateApp : public CWinApp {
public:
    // publisherKeys: the keys of the launcher's build, as ParsePublisherKeys reads them.
    CUpdateApp(const char* defaultConnectHost, int connectPort, const char* publisherKeys);
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    const char* m_defaultConnectHost;
    int m_connectPort;
    const char* m_publisherKeys;
};
