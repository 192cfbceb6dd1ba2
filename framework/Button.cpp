#include "framework/Button.h"

#include "framework/Text.h"

BEGIN_MESSAGE_MAP(CButton, CWnd)
    ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

BOOL CButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, L"BUTTON", Utf8ToWide(caption).c_str(), style | WS_CHILD, rect, parent, id);
}
