#pragma once
// CWebBrowser: the system's web browser control, hosted in an AtlAxWin window. The
// dialog template names the control by its class id; the launcher only navigates it.
#include <windows.h>
#include <oaidl.h>

#include "framework/Wnd.h"

class CWebBrowser : public CWnd {
public:
    // The class id of the web browser control, as the host window's text names it.
    static const wchar_t kClassIdText[];

    // Creates the hosted control as a child window (the template normally does this).
    BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Starts loading `address` (UTF-8); the optional arguments may be null. Returns 1
    // when the control accepted the request, 0 when there is no control to ask. Loading
    // itself goes on inside the control; nothing waits for it.
    int Navigate(const char* address, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData, VARIANT* headers);
};
