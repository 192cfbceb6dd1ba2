#include "framework/ToolTipCtrl.h"

#include "framework/Text.h"

// The tool description without the fields newer control versions added, which every
// version of the control accepts.
#define ZR_TOOLINFO_SIZE TTTOOLINFOW_V2_SIZE

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    HWND wnd = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               parent ? parent->m_hWnd : nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return wnd ? SubclassWindow(wnd) : FALSE;
}

void CToolTipCtrl::FillToolInfo(TOOLINFOW& info, HWND wnd, UINT_PTR toolId)
{
    info = TOOLINFOW();
    info.cbSize = ZR_TOOLINFO_SIZE;
    if (toolId == 0) {
        info.hwnd = ::GetParent(wnd);
        info.uFlags = TTF_IDISHWND;
        info.uId = reinterpret_cast<UINT_PTR>(wnd);
    } else {
        info.hwnd = wnd;
        info.uId = toolId;
    }
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, const char* text, const RECT* rect, UINT_PTR toolId)
{
    if (!m_hWnd || !wnd || !wnd->m_hWnd)
        return FALSE;
    TOOLINFOW info;
    FillToolInfo(info, wnd->m_hWnd, toolId);
    if (toolId != 0) {
        if (rect)
            info.rect = *rect;
        else
            ::GetClientRect(wnd->m_hWnd, &info.rect);
    }
    std::wstring wide = Utf8ToWide(text);
    info.lpszText = const_cast<wchar_t*>(wide.c_str());
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* wnd, UINT_PTR toolId)
{
    if (!m_hWnd || !wnd || !wnd->m_hWnd)
        return;
    TOOLINFOW info;
    FillToolInfo(info, wnd->m_hWnd, toolId);
    std::wstring wide = Utf8ToWide(text);
    info.lpszText = const_cast<wchar_t*>(wide.c_str());
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

std::string CToolTipCtrl::GetText(CWnd* wnd, UINT_PTR toolId) const
{
    if (!m_hWnd || !wnd || !wnd->m_hWnd)
        return std::string();
    TOOLINFOW info;
    FillToolInfo(info, wnd->m_hWnd, toolId);
    if (!::SendMessageW(m_hWnd, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)))
        return std::string();
    wchar_t text[1024] = L"";
    info.lpszText = text;
    ::SendMessageW(m_hWnd, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&info));
    return WideToUtf8(text);
}

int CToolTipCtrl::GetToolCount() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETTOOLCOUNT, 0, 0));
}

void CToolTipCtrl::SetDelayTime(DWORD which, int ms)
{
    SendMessage(TTM_SETDELAYTIME, which, MAKELPARAM(ms, 0));
}

int CToolTipCtrl::GetDelayTime(DWORD which) const
{
    return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETDELAYTIME, which, 0));
}

void CToolTipCtrl::RelayEvent(MSG* msg)
{
    if (m_hWnd)
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}
