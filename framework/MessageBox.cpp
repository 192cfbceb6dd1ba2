#include "framework/MessageBox.h"

#include "framework/Text.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

int MessageBoxUtf8(HWND owner, const char* utf8Text, const char* utf8Caption, UINT type)
{
    return MessageBoxW(owner, Utf8ToWide(utf8Text).c_str(), Utf8ToWide(utf8Caption).c_str(), type);
}

int AfxMessageBox(const char* utf8Text, UINT type)
{
    CWinApp* app = AfxGetApp();
    HWND owner = (app && app->m_pMainWnd) ? app->m_pMainWnd->m_hWnd : nullptr;
    if (owner && !IsWindow(owner))
        owner = nullptr;
    return MessageBoxUtf8(owner, utf8Text, app ? app->m_pszAppName : "", type);
}
