// The main dialog as a window: skin, size and placement of every control, the bitmap
// buttons and their tooltips, colours, dragging by the body, the minimised icon, and
// the options dialog behind the Option button.
#include <windows.h>
#include <mmsystem.h>

#include "app/AppTitle.h"
#include "app/LaunchOptions.h"
#include "app/MessageIds.h"
#include "app/Msg.h"
#include "ui/OptionDlg.h"
#include "ui/UpdateDlg.h"
#include "ui/res/resource.h"

namespace {

// The web site the link shows and opens.
const char kWebSiteHost[] = "www.zr-online.net";
const COLORREF kDialogFill = RGB(223, 223, 223);
const COLORREF kDialogText = RGB(0, 255, 0);
// The light panel of the background image under the bars and counters.
const COLORREF kPanelColour = RGB(236, 228, 208);
const int kToolTipDelayMs = 200;

struct SkinButtonLayout {
    const char* caption;
    UINT id;
    int x, y;
    UINT normal, selected, focus, disabled;
};

const SkinButtonLayout kCloseLayout = {"Close", IDC_CLOSE_BUTTON, 315, 130,
                               IDB_CLOSE_NORMAL, IDB_CLOSE_PRESSED, IDB_CLOSE_PRESSED, IDB_CLOSE_NORMAL};
const SkinButtonLayout kConnectLayout = {"Connect", IDC_CONNECT_BUTTON, 180, 130,
                                 IDB_CONNECT_NORMAL, IDB_CONNECT_PRESSED, IDB_CONNECT_PRESSED, IDB_CONNECT_NORMAL};
const SkinButtonLayout kOptionLayout = {"Option", IDC_OPTION_BUTTON, 45, 130,
                                IDB_OPTION_NORMAL, IDB_OPTION_PRESSED, IDB_OPTION_NORMAL, IDB_OPTION_NORMAL};

void CreateSkinButton(CBitmapButton& button, const SkinButtonLayout& layout, CWnd* parent)
{
    RECT r = {layout.x, layout.y, layout.x, layout.y};
    button.Create(layout.caption, WS_VISIBLE | BS_OWNERDRAW, r, parent, layout.id);
    button.LoadBitmaps(layout.normal, layout.selected, layout.focus, layout.disabled);
    button.SizeToContent();
}

void PlaceControl(CWnd& parent, int id, int x, int y, int w, int h)
{
    ::MoveWindow(parent.GetDlgItem(id), x, y, w, h, TRUE);
}

} // namespace

void CUpdateDlg::InitWindow()
{
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    m_fillBrush.CreateSolidBrush(kDialogFill);
    SetBackground(IDB_BACKGROUND, kBackgroundTile);

    // The window is the image plus its one-pixel border on each side.
    BITMAP bm;
    if (m_sizeBitmap.LoadBitmap(IDB_BACKGROUND) && m_sizeBitmap.GetBitmap(&bm))
        SetWindowPos(nullptr, 0, 0, bm.bmWidth + 2, bm.bmHeight + 2, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowText(kAppTitle);
    CenterWindow();
    InitControls();
}

void CUpdateDlg::InitControls()
{
    PlaceControl(*this, IDC_STATUS, 24, 28, 390, 40);
    if (m_status.m_hWnd) {
        m_status.SetLabelBkColor(RGB(255, 255, 255));
        m_status.SetLabelTextColor(RGB(0, 0, 0));
    }

    m_notice.MoveWindow(25, 180, 390, 165, TRUE);
    VARIANT empty;
    VariantInit(&empty);
    m_notice.Navigate(g_msg.Get(kMsgNoticeAddress), &empty, &empty, &empty, &empty);
    VariantClear(&empty);

    m_toolTip.Create(this);
    m_toolTip.SetDelayTime(TTDT_AUTOMATIC, kToolTipDelayMs);

    CreateSkinButton(m_closeButton, kCloseLayout, this);
    CreateSkinButton(m_connectButton, kConnectLayout, this);
    m_connectButton.ShowWindow(SW_HIDE);
    CreateSkinButton(m_optionButton, kOptionLayout, this);
    // The tools name the button windows, so they are registered once those exist.
    m_toolTip.AddTool(&m_connectButton, g_msg.Get(kMsgConnecting));
    m_toolTip.AddTool(&m_optionButton, g_msg.Get(kMsgOptionsTip));

    m_link.MoveWindow(155, 160, 250, 19, TRUE);
    m_link.SetWindowText(kWebSiteHost);
    m_link.SetTarget(kWebSiteHost);
    m_link.SetUnderlined(false);

    PlaceControl(*this, IDC_VERSION_COUNTER, 24, 105, 215, 17);
    PlaceControl(*this, IDC_FILE_COUNTER, 200, 105, 215, 17);
    m_versionCounter.SetLabelBkColor(kPanelColour);
    m_fileCounter.SetLabelBkColor(kPanelColour);
    PlaceControl(*this, IDC_PROGRESS_FILE, 24, 75, 390, 20);
    PlaceControl(*this, IDC_PROGRESS_VERSION, 24, 95, 390, 10);
}

HBRUSH CUpdateDlg::OnCtlColor(HDC dc, HWND control, UINT ctlColor)
{
    if (ctlColor == CTLCOLOR_DLG) {
        SetTextColor(dc, kDialogText);
        return m_fillBrush;
    }
    return CWnd::OnCtlColor(dc, control, ctlColor);
}

void CUpdateDlg::OnLButtonDown(UINT, POINT point)
{
    Default();
    // A press on the body moves the borderless window, as a caption would.
    PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}

void CUpdateDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_icon);
    EndPaint(m_hWnd, &ps);
}

HCURSOR CUpdateDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_icon);
}

void CUpdateDlg::OnMove(int, int)
{
    Default();
}

void CUpdateDlg::CloseWindowPart()
{
    m_sizeBitmap.DeleteObject();
    Default();
    m_fillBrush.DeleteObject();
}

BOOL CUpdateDlg::PreTranslateMessage(MSG* msg)
{
    // Escape never closes the launcher.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
        return TRUE;
    if (msg->message == WM_MOUSEMOVE || msg->message == WM_LBUTTONDOWN || msg->message == WM_LBUTTONUP)
        m_toolTip.RelayEvent(msg);
    return CDibDialog::PreTranslateMessage(msg);
}

void CUpdateDlg::OpenOptionsDialog()
{
    // A repair is offered while no patch or repair runs.
    if (RunOptionsDialog(m_session.stopped != 0))
        StartRepair();
}

bool CUpdateDlg::RunOptionsDialog(bool offerRepair)
{
    const VersionTriple& v = m_session.installedVersion;
    COptionDlg dialog(v.major, v.minor, v.patch, nullptr);
    dialog.OfferRepair(offerRepair);
    PlayClickSound();
    dialog.DoModal();
    return offerRepair && dialog.RepairRequested();
}

void CUpdateDlg::StartRepair()
{
    // A new connection that asks as a fresh install does; the patch-server reply then
    // starts the repair instead of the walk.
    if (m_session.stopped == 0)
        return;
    g_launchOptions.repair = 1;
    m_driver->Close();
    m_driver->Retry();
}

void CUpdateDlg::PlayClickSound()
{
    // No default system sound in place of a missing wave file.
    sndPlaySoundA("data\\sound\\beep.wav", SND_ASYNC | SND_NODEFAULT);
}
