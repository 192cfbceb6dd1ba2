// The real main dialog as a window, created without a loop of its own and without a
// connect server: its icons, the colour requests it answers itself and those it
// leaves to its controls, the Escape key, and its tooltip control.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "app/LaunchOptions.h"
#include "app/Msg.h"
#include "framework/WinApp.h"
#include "tests/win/ControlPixels.h"
#include "tests/win/TempGameDir.h"
#include "ui/UpdateDlg.h"
#include "ui/res/resource.h"

namespace {

const char kCatalogue[] = "2\tT-2 options\n102\tT-102 connecting\n10000\tabout:blank\n";

// The dialog with its message filter reachable from the test.
class MainDialog : public CUpdateDlg {
public:
    using CUpdateDlg::PreTranslateMessage;
};

COLORREF BrushColor(HBRUSH brush)
{
    LOGBRUSH lb = {};
    GetObjectW(brush, sizeof(lb), &lb);
    return lb.lbColor;
}

struct MainWindowTest : ::testing::Test {
    TempGameDir dir;
    LaunchOptions savedOptions;
    std::unique_ptr<MainDialog> dlg;

    void SetUp() override
    {
        savedOptions = g_launchOptions;
        g_msg.LoadText(kCatalogue);
        AfxEnableControlContainer();
        // Port 1 on loopback: the one attempt is never made, the timer is stopped.
        SetConnectServer(g_launchOptions, "127.0.0.1", 1);
        dlg.reset(new MainDialog);
        ASSERT_TRUE(dlg->Create());
        KillTimer(dlg->m_hWnd, kConnectTimer);
    }

    void TearDown() override
    {
        dlg.reset();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        g_launchOptions = savedOptions;
    }

    // The tooltip windows owned by the dialog (the buttons' and the link's own).
    std::vector<HWND> ToolTips()
    {
        struct Search { HWND owner; std::vector<HWND> found; } s{dlg->m_hWnd, {}};
        EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM p) -> BOOL {
            Search* s = reinterpret_cast<Search*>(p);
            wchar_t cls[64];
            GetClassNameW(w, cls, 64);
            if (lstrcmpW(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(w, GW_OWNER) == s->owner)
                s->found.push_back(w);
            return TRUE;
        }, reinterpret_cast<LPARAM>(&s));
        return s.found;
    }
};

// Whether the tooltip has a tool for the control and, if so, its text.
bool ToolText(HWND tip, HWND dialog, HWND control, std::wstring* text)
{
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = dialog;
    info.uFlags = TTF_IDISHWND;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    if (!SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)))
        return false;
    wchar_t buffer[256] = L"";
    info.lpszText = buffer;
    SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    *text = buffer;
    return true;
}

} // namespace

TEST_F(MainWindowTest, IconsAndDragIconAreTheWindowIcon)
{
    HICON big = reinterpret_cast<HICON>(dlg->SendMessage(WM_GETICON, ICON_BIG, 0));
    HICON small = reinterpret_cast<HICON>(dlg->SendMessage(WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(small, big);
    EXPECT_EQ(reinterpret_cast<HICON>(dlg->SendMessage(WM_QUERYDRAGICON, 0, 0)), big);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(big, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST_F(MainWindowTest, DialogAnswersItsOwnColourRequestAndLeavesTheRestToTheControls)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH fill = reinterpret_cast<HBRUSH>(
        dlg->SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dlg->m_hWnd)));
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(BrushColor(fill), RGB(223, 223, 223));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 255, 0));

    // The status line colours itself: its own fill brush and text colour.
    dlg->ShowStatusError("error");
    HWND status = dlg->GetDlgItem(IDC_STATUS);
    HBRUSH statusBrush = reinterpret_cast<HBRUSH>(
        dlg->SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(status)));
    EXPECT_EQ(statusBrush, dlg->StatusLine().FillBrush());
    EXPECT_EQ(BrushColor(statusBrush), RGB(255, 0, 0));
    EXPECT_EQ(GetTextColor(dc), RGB(255, 255, 255));

    // The link shows the background through: the hollow stock brush.
    HWND link = dlg->GetDlgItem(IDC_LINK);
    HBRUSH linkBrush = reinterpret_cast<HBRUSH>(
        dlg->SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(link)));
    EXPECT_EQ(linkBrush, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(GetTextColor(dc), RGB(100, 100, 238));
    DeleteDC(dc);
}

TEST_F(MainWindowTest, EscapeIsSwallowedAnywhereInTheWindow)
{
    for (int id : {0, IDC_STATUS, IDC_CLOSE_BUTTON, IDC_OPTION_BUTTON}) {
        MSG msg = {};
        msg.hwnd = id ? dlg->GetDlgItem(id) : dlg->m_hWnd;
        ASSERT_NE(msg.hwnd, nullptr) << id;
        msg.message = WM_KEYDOWN;
        msg.wParam = VK_ESCAPE;
        EXPECT_TRUE(dlg->PreTranslateMessage(&msg)) << id;
    }
    // The key never reached the dialog manager, which would have ended the dialog.
    EXPECT_TRUE(IsWindow(dlg->m_hWnd));
}

TEST_F(MainWindowTest, ButtonTooltipsCoverConnectAndOptionOnly)
{
    HWND buttonsTip = nullptr;
    for (HWND tip : ToolTips())
        if (SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) == 2)
            buttonsTip = tip;
    ASSERT_NE(buttonsTip, nullptr);
    EXPECT_EQ(SendMessageW(buttonsTip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 200);

    std::wstring text;
    ASSERT_TRUE(ToolText(buttonsTip, dlg->m_hWnd, dlg->GetDlgItem(IDC_CONNECT_BUTTON), &text));
    EXPECT_EQ(text, L"T-102 connecting");
    ASSERT_TRUE(ToolText(buttonsTip, dlg->m_hWnd, dlg->GetDlgItem(IDC_OPTION_BUTTON), &text));
    EXPECT_EQ(text, L"T-2 options");
    EXPECT_FALSE(ToolText(buttonsTip, dlg->m_hWnd, dlg->GetDlgItem(IDC_CLOSE_BUTTON), &text));
}

namespace {

// Presses Enter in the running modal dialog, then ends it with a code of the test's own.
struct EnterThenEnd {
    static MainDialog* s_dialog;
    static int s_ticks;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
    {
        if (++s_ticks == 1) {
            PostMessageW(s_dialog->m_hWnd, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            return;
        }
        KillTimer(nullptr, id);
        s_dialog->EndDialog(77);
    }
};
MainDialog* EnterThenEnd::s_dialog = nullptr;
int EnterThenEnd::s_ticks = 0;

// Pixels of the caption strip that differ from its background: the text.
int CaptionTextPixels(HWND dialog)
{
    HDC dc = GetDC(dialog);
    COLORREF background = GetPixel(dc, 138, 121);   // the strip's last row is below any text
    int text = 0;
    for (int y = 106; y < 122; ++y)
        for (int x = 138; x < 303; ++x)
            text += GetPixel(dc, x, y) != background ? 1 : 0;
    ReleaseDC(dialog, dc);
    return text;
}

void PumpAll()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

TEST_F(MainWindowTest, EnterNeverEndsTheWindow)
{
    dlg.reset();
    MainDialog modal;
    EnterThenEnd::s_dialog = &modal;
    EnterThenEnd::s_ticks = 0;
    SetTimer(nullptr, 0, 400, &EnterThenEnd::Tick);
    // Without the default OK handling the dialog runs on until the test ends it.
    EXPECT_EQ(modal.DoModal(), 77);
    EXPECT_EQ(EnterThenEnd::s_ticks, 2);
}

TEST_F(MainWindowTest, CountersAreFilledWithThePanelColour)
{
    HDC dc = CreateCompatibleDC(nullptr);
    for (int id : {IDC_VERSION_COUNTER, IDC_FILE_COUNTER}) {
        HBRUSH fill = reinterpret_cast<HBRUSH>(dlg->SendMessage(
            WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dlg->GetDlgItem(id))));
        EXPECT_EQ(BrushColor(fill), RGB(236, 228, 208)) << id;
    }
    DeleteDC(dc);
}

TEST_F(MainWindowTest, TransferCaptionSurvivesCounterUpdatesAndFullRepaints)
{
    PumpAll();
    dlg->DrawTransferCaption("Update complete");
    int drawn = CaptionTextPixels(dlg->m_hWnd);
    EXPECT_GT(drawn, 20);
    dlg->SetCounterText(kVersionCounter, "Versions 3/3");
    dlg->SetCounterText(kFileCounter, "Files 2/2");
    UpdateWindow(dlg->m_hWnd);
    PumpAll();
    EXPECT_EQ(CaptionTextPixels(dlg->m_hWnd), drawn);
    RedrawWindow(dlg->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpAll();
    EXPECT_EQ(CaptionTextPixels(dlg->m_hWnd), drawn);
    // The counters' texts stay whole beside it.
    wchar_t text[32];
    GetWindowTextW(dlg->GetDlgItem(IDC_FILE_COUNTER), text, 32);
    EXPECT_STREQ(text, L"Files 2/2");
}

TEST_F(MainWindowTest, LinkLooksTheSameAfterEveryHover)
{
    HWND link = dlg->GetDlgItem(IDC_LINK);
    UpdateWindow(dlg->m_hWnd);
    PumpAll();
    std::vector<COLORREF> before = ControlPixels(link);
    ASSERT_FALSE(before.empty());
    for (int i = 0; i < 6; ++i) {
        SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(-5, -5));
    }
    PumpAll();
    EXPECT_TRUE(ControlPixels(link) == before) << "the link's text darkened over repaints";
}
