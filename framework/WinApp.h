#pragma once
// CWinApp: the one application object. The program entry finds it, runs its
// InitInstance and, when that returns FALSE, ends the process after ExitInstance.
#include <windows.h>

class CWnd;

class CWinApp {
public:
    explicit CWinApp(const char* appName);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // A message loop for applications that keep running after InitInstance.
    virtual int Run();

    const char* m_pszAppName;     // UTF-8; caption of the application's message boxes
    HINSTANCE m_hInstance = nullptr;
    const char* m_lpCmdLine = ""; // the command line after the program name
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();

// Registers the window class that hosts ActiveX controls in dialog templates.
BOOL AfxEnableControlContainer();
// The three-dimensional look of standard controls is the system's own today.
inline BOOL Enable3dControlsStatic() { return TRUE; }
// The command line after the program name (quotes respected), as a byte string.
const char* AfxCommandLineArguments(const char* fullCommandLine);
