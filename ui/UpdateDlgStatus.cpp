// The status line of the main dialog in its three styles, and the one-message pump
// that keeps the window alive during long work.
#include "ui/UpdateDlg.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGrey = RGB(230, 230, 230);

// Text colour first (repaints at once), then the fill, then the text, whose change
// repaints the label with both: the new text is on screen before the caller blocks.
void ShowStyled(CLinkLabel& label, COLORREF textColor, COLORREF fillColor, const char* text)
{
    if (!label.m_hWnd)
        return;
    label.SetLabelTextColor(textColor);
    label.SetLabelBkColor(fillColor);
    label.SetWindowText(text ? text : "");
}

} // namespace

void CUpdateDlg::ShowStatus(const char* text)
{
    ShowStyled(m_status, kBlack, kWhite, text);
}

void CUpdateDlg::ShowStatusError(const char* text)
{
    ShowStyled(m_status, kWhite, kRed, text);
}

void CUpdateDlg::ShowStatusReady(const char* text)
{
    ShowStyled(m_status, kBlack, kGrey, text);
}

void CUpdateDlg::PumpOneMessage()
{
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return;
    // A quit request belongs to the dialog's own loop; taking it here would lose it
    // and the launcher would never end, so it is posted again.
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}
