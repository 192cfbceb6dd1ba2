#pragma once
// CStatic: a static text or picture control.
#include "framework/Wnd.h"

class CStatic : public CWnd {
public:
    // A child static control of `parent`; the text is UTF-8.
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
};
