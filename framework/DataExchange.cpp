#include "framework/DataExchange.h"

#include "framework/MessageBox.h"
#include "framework/Text.h"
#include "framework/Wnd.h"

HWND CDataExchange::PrepareCtrl(int id)
{
    m_lastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    return m_lastControl;
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    HWND wnd = dx->PrepareCtrl(id);
    if (wnd)
        control.SubclassWindow(wnd);
}

void DDX_Text(CDataExchange* dx, int id, std::string& value)
{
    if (dx->m_failed)
        return;
    HWND wnd = dx->PrepareCtrl(id);
    if (!wnd)
        return;
    if (dx->m_bSaveAndValidate) {
        value = WideToUtf8(WindowTextOf(wnd).c_str());
    } else {
        SetWindowTextW(wnd, Utf8ToWide(value.c_str()).c_str());
    }
}

void DDV_MaxChars(CDataExchange* dx, const std::string& value, int maxChars)
{
    if (dx->m_failed)
        return;
    if (dx->m_bSaveAndValidate) {
        if (static_cast<int>(Utf8ToWide(value.c_str()).size()) > maxChars) {
            char text[128];
            wsprintfA(text, "Enter no more than %d characters.", maxChars);
            AfxMessageBox(text, MB_ICONEXCLAMATION);
            if (dx->m_lastControl)
                SetFocus(dx->m_lastControl);
            dx->Fail();
        }
    } else if (dx->m_lastControl) {
        SendMessageW(dx->m_lastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    if (dx->m_failed)
        return;
    HWND wnd = dx->PrepareCtrl(id);
    if (!wnd)
        return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(SendMessageW(wnd, BM_GETCHECK, 0, 0));
    else
        SendMessageW(wnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}
