#include "ui/LinkLabel.h"

BEGIN_MESSAGE_MAP(CLinkLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

CLinkLabel::CLinkLabel() : m_textColor(GetSysColor(COLOR_WINDOWTEXT))
{
    m_fillBrush.CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    m_logFont = LOGFONTW{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(m_logFont), &m_logFont);
    m_font.CreateFontIndirect(&m_logFont);
}

// The brush and the font are owned members and go with the object.
CLinkLabel::~CLinkLabel() = default;

void CLinkLabel::SetLabelTextColor(COLORREF color)
{
    m_textColor = color;
    if (m_hWnd)
        RedrawWindow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CLinkLabel::SetLabelBkColor(COLORREF color)
{
    // The old brush goes first, so exactly one fill brush is ever alive.
    m_fillBrush.DeleteObject();
    m_fillBrush.CreateSolidBrush(color);
}

HBRUSH CLinkLabel::CtlColor(HDC dc, UINT ctlColor)
{
    if (ctlColor == CTLCOLOR_STATIC) {
        if (m_font.IsValid())
            SelectObject(dc, m_font.Get());
        SetTextColor(dc, m_textColor);
        SetBkMode(dc, TRANSPARENT);
    }
    return m_fillBrush.Get();
}
