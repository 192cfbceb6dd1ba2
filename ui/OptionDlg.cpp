#include "ui/OptionDlg.h"

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "ui/res/resource.h"

BEGIN_MESSAGE_MAP(COptionDlg, CDibDialog)
    ON_BN_CLICKED(IDC_SAVE_BUTTON, OnSave)
    ON_BN_CLICKED(IDC_REPAIR_LINK, OnRepair)
    ON_COMMAND_RANGE(IDC_RES_640, IDC_RES_1280, OnResolution)
    ON_WM_SHOWWINDOW()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

namespace {

struct ControlPlace {
    int id, x, y, width, height;
};

const ControlPlace kOptionLayout[] = {
    {IDC_SOUND_CHECK, 35, 251, 150, 20},
    {IDC_MUSIC_CHECK, 35, 272, 150, 20},
    {IDC_RES_640, 45, 172, 90, 20},
    {IDC_RES_800, 145, 172, 90, 20},
    {IDC_RES_1024, 245, 172, 90, 20},
    {IDC_RES_1280, 350, 172, 90, 20},
    {IDC_ID_EDIT, 175, 55, 120, 20},
    {IDC_REPAIR_LINK, 250, 232, 190, 18},
};

const COLORREF kRepairLinkColor = RGB(226, 196, 128);

} // namespace

COptionDlg::COptionDlg(int major, int minor, int patch, CWnd* parent) : CDibDialog(IDD_OPTION, parent)
{
    m_version.major = static_cast<unsigned char>(major);
    m_version.minor = static_cast<unsigned char>(minor);
    m_version.patch = static_cast<unsigned char>(patch);
    // The key is created (and an older config.ini migrated) even if the player cancels.
    LoadSettings(m_settings, m_version);
}

COptionDlg::~COptionDlg() = default;

void COptionDlg::DoDataExchange(CDataExchange* dx)
{
    CDibDialog::DoDataExchange(dx);
    DDX_Control(dx, IDCANCEL, m_cancelButton);
    DDX_Control(dx, IDC_SAVE_BUTTON, m_saveButton);
    DDX_Control(dx, IDC_REPAIR_LINK, m_repairLink);
    DDX_Text(dx, IDC_ID_EDIT, m_settings.id);
    DDV_MaxChars(dx, m_settings.id, kMaxIdChars);
    DDX_Check(dx, IDC_SOUND_CHECK, m_settings.soundOn);
    DDX_Check(dx, IDC_MUSIC_CHECK, m_settings.musicOn);
}

BOOL COptionDlg::OnInitDialog()
{
    CDibDialog::OnInitDialog();
    SetBackground(IDB_OPTION_BACKGROUND, kBackgroundTile);

    BITMAP bm;
    if (m_backgroundSize.LoadBitmap(IDB_OPTION_BACKGROUND) && m_backgroundSize.GetBitmap(&bm)) {
        m_windowWidth = bm.bmWidth + 2;
        m_windowHeight = bm.bmHeight + 2;
        SetWindowPos(nullptr, 0, 0, m_windowWidth, m_windowHeight, SWP_NOMOVE | SWP_NOZORDER);
    }

    m_saveButton.LoadBitmaps(IDB_SAVE_NORMAL, IDB_SAVE_PRESSED, IDB_SAVE_PRESSED, IDB_SAVE_NORMAL);
    m_saveButton.SizeToContent();
    m_saveButton.MoveWindow(250, 260, 90, 30);
    m_cancelButton.LoadBitmaps(IDB_CLOSE_NORMAL, IDB_CLOSE_PRESSED, IDB_CLOSE_PRESSED, IDB_CLOSE_NORMAL);
    m_cancelButton.SizeToContent();
    m_cancelButton.MoveWindow(350, 260, 90, 30);

    for (const ControlPlace& place : kOptionLayout)
        ::MoveWindow(GetDlgItem(place.id), place.x, place.y, place.width, place.height, TRUE);

    m_repairLink.SetWindowText(g_msg.Get(kMsgRepairLink));
    m_repairLink.ShowWindow(m_offerRepair ? SW_SHOW : SW_HIDE);

    UpdateData(TRUE);   // a failed validation leaves the fields as read so far
    return TRUE;
}

void COptionDlg::OnShowWindow(BOOL, UINT)
{
    Default();
    UpdateData(TRUE);
    // A resolution outside 0..3 names no button, which leaves all four clear.
    int resolution = m_settings.resolution;
    CheckRadioButton(IDC_RES_640, IDC_RES_1280, resolution >= 0 && resolution <= 3 ? IDC_RES_640 + resolution : 0);
}

HBRUSH COptionDlg::OnCtlColor(HDC dc, HWND control, UINT ctlColor)
{
    // The radio buttons and check boxes fill with the background image itself, so
    // each repaint of a label restores the image before the text is drawn again
    // (drawing over a hollow brush would darken the text with every repaint).
    if (ctlColor == CTLCOLOR_STATIC && m_background.Bits()) {
        // The repair entry in the gold of the artwork's ornaments, as a link.
        if (control == m_repairLink.m_hWnd) {
            SetTextColor(dc, kRepairLinkColor);
            SetBkMode(dc, TRANSPARENT);
        }
        return BackgroundBrush(dc, control);
    }
    return CDibDialog::OnCtlColor(dc, control, ctlColor);
}

void COptionDlg::OnResolution(UINT id)
{
    m_settings.resolution = static_cast<int>(id) - IDC_RES_640;
}

// Enter acts as Save: a player who types the ID and presses Enter expects it kept,
// and ending the dialog without saving would silently drop the edits.
void COptionDlg::OnOK()
{
    OnSave();
}

// The settings stay as they were saved last: the repair is a request of its own.
void COptionDlg::OnRepair()
{
    m_repairRequested = true;
    EndDialog(IDCANCEL);
}

void COptionDlg::OnSave()
{
    UpdateData(TRUE);   // saved even when the ID fails its length check
    SaveSettings(m_settings, m_hWnd);
    EndDialog(0);
}
