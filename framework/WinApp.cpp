#include "framework/WinApp.h"

#include <commctrl.h>
#include <ole2.h>

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) { g_app = this; }

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return FALSE; }
int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() { return g_app; }

const char* AfxCommandLineArguments(const char* line)
{
    const char* p = line ? line : "";
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

BOOL AfxEnableControlContainer()
{
    typedef BOOL(WINAPI * AtlAxWinInitFn)();
    // Hosted controls live in a single-threaded apartment.
    OleInitialize(nullptr);
    HMODULE atl = LoadLibraryW(L"atl.dll");
    AtlAxWinInitFn init = atl ? reinterpret_cast<AtlAxWinInitFn>(
                                    reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")))
                              : nullptr;
    if (init && init())
        return TRUE;
    // Without the hosting library a dialog naming the host class could not be created
    // at all; an empty window class of the same name keeps the dialog working.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"AtlAxWin";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    return FALSE;
}

// The program entry of a GUI executable built with this framework.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = AfxCommandLineArguments(GetCommandLineA());
    int code = 0;
    if (!app->InitInstance())
        code = app->ExitInstance();
    else
        code = app->Run();
    return code;
}
