#include "framework/Static.h"

#include "framework/Text.h"

BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, L"STATIC", Utf8ToWide(text).c_str(), style | WS_CHILD, rect, parent, id);
}
