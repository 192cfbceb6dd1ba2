#pragma once
// CButton: a push button, check box or radio button. Owner-drawn buttons receive
// their WM_DRAWITEM back from the parent and draw themselves in DrawItem.
#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    // A child button of `parent`; the caption is UTF-8.
    BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    UINT GetState() const { return static_cast<UINT>(::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0)); }
    void SetState(BOOL pressed) { ::SendMessageW(m_hWnd, BM_SETSTATE, pressed, 0); }
    int GetCheck() const { return static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0)); }
    void SetCheck(int check) { ::SendMessageW(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(check), 0); }

    // Owner-draw callback; plain buttons draw nothing of their own.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}

    DECLARE_MESSAGE_MAP()
};
