#pragma once
// CLinkLabel: a static control whose text colour, fill colour and font the owner
// sets. The parent reflects WM_CTLCOLOR* back to it; the label answers with its text
// colour on a transparent background over its fill brush. The main dialog uses it for
// the status line and the two progress counters.
#include "framework/GdiObject.h"
#include "framework/Static.h"

class CLinkLabel : public CStatic {
public:
    CLinkLabel();
    ~CLinkLabel() override;

    // Stores the text colour and repaints the label at once.
    void SetLabelTextColor(COLORREF color);
    // Replaces the fill brush by a solid brush of the colour; no repaint of its own,
    // the next text change or repaint shows it.
    void SetLabelBkColor(COLORREF color);

    COLORREF LabelTextColor() const { return m_textColor; }
    HBRUSH FillBrush() const { return m_fillBrush.Get(); }
    HFONT LabelFont() const { return m_font.Get(); }

    // Reflected colour request: font, text colour and transparent mode for a static
    // request; the fill brush for every request.
    HBRUSH CtlColor(HDC dc, UINT ctlColor);

protected:
    DECLARE_MESSAGE_MAP()

private:
    COLORREF m_textColor;
    CBrush m_fillBrush;
    LOGFONTW m_logFont;
    CFont m_font;
};
