// Bitmap buttons: which of the four bitmaps each state shows, their loading rule, the
// size taken from the normal bitmap, and drawing through the parent's reflected
// WM_DRAWITEM.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/BitmapButton.h"
#include "ui/res/resource.h"

namespace {

struct Canvas {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, 40);
    HGDIOBJ old = SelectObject(dc, bitmap);
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
};

// A pixel of a bitmap resource.
COLORREF ResourcePixel(UINT id, int x, int y)
{
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return c;
}

// A point where two button bitmaps differ.
POINT DifferingPoint(UINT a, UINT b)
{
    for (int y = 2; y < 26; y += 3)
        for (int x = 2; x < 82; x += 3)
            if (ResourcePixel(a, x, y) != ResourcePixel(b, x, y))
                return POINT{x, y};
    return POINT{-1, -1};
}

struct ButtonFixture : ::testing::Test {
    CWnd parent;
    CBitmapButton button;

    void SetUp() override
    {
        RECT r = {0, 0, 423, 352};
        ASSERT_TRUE(parent.CreateEx(0, L"STATIC", L"", WS_POPUP, r, nullptr, 0));
        RECT at = {315, 130, 315, 130};
        ASSERT_TRUE(button.Create("Close", WS_VISIBLE | BS_OWNERDRAW, at, &parent, IDC_CLOSE_BUTTON));
    }
    void TearDown() override { parent.DestroyWindow(); }

    // Draws the button in `state` through the parent, as the system asks for it.
    COLORREF DrawnPixel(UINT state, POINT p)
    {
        Canvas canvas;
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = IDC_CLOSE_BUTTON;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = state;
        dis.hwndItem = button.m_hWnd;
        dis.hDC = canvas.dc;
        dis.rcItem = RECT{0, 0, 84, 28};
        EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, IDC_CLOSE_BUTTON, reinterpret_cast<LPARAM>(&dis)), TRUE);
        return GetPixel(canvas.dc, p.x, p.y);
    }
};

} // namespace

TEST_F(ButtonFixture, SizeComesFromTheNormalBitmap)
{
    ASSERT_TRUE(button.LoadBitmaps(IDB_CLOSE_NORMAL, IDB_CLOSE_PRESSED, IDB_CLOSE_PRESSED, IDB_CLOSE_NORMAL));
    button.SizeToContent();
    RECT r;
    GetWindowRect(button.m_hWnd, &r);
    MapWindowPoints(nullptr, parent.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 315);
    EXPECT_EQ(r.top, 130);
    EXPECT_EQ(r.right - r.left, 84);
    EXPECT_EQ(r.bottom - r.top, 28);
    EXPECT_EQ(button.GetStyle() & (WS_TABSTOP | BS_TYPEMASK), static_cast<DWORD>(BS_OWNERDRAW));
}

TEST_F(ButtonFixture, LoadResultFollowsTheNormalAndTheOtherBitmaps)
{
    EXPECT_FALSE(button.LoadBitmaps(4242, IDB_CLOSE_PRESSED));
    EXPECT_EQ(button.BitmapForState(0), nullptr);
    EXPECT_FALSE(button.LoadBitmaps(IDB_CLOSE_NORMAL, 4242));   // normal loaded, one other missing
    EXPECT_NE(button.BitmapForState(0), nullptr);
    EXPECT_EQ(button.BitmapForState(ODS_SELECTED), button.BitmapForState(0));
    EXPECT_TRUE(button.LoadBitmaps(IDB_CLOSE_NORMAL));          // empty slots are not failures
}

TEST_F(ButtonFixture, CloseAndConnectShowTheSecondBitmapWhenPressedOrFocused)
{
    POINT p = DifferingPoint(IDB_CLOSE_NORMAL, IDB_CLOSE_PRESSED);
    ASSERT_GE(p.x, 0) << "the two Close bitmaps look alike";
    ASSERT_TRUE(button.LoadBitmaps(IDB_CLOSE_NORMAL, IDB_CLOSE_PRESSED, IDB_CLOSE_PRESSED, IDB_CLOSE_NORMAL));
    COLORREF normal = ResourcePixel(IDB_CLOSE_NORMAL, p.x, p.y);
    COLORREF pressed = ResourcePixel(IDB_CLOSE_PRESSED, p.x, p.y);
    EXPECT_EQ(DrawnPixel(0, p), normal);
    EXPECT_EQ(DrawnPixel(ODS_SELECTED, p), pressed);
    EXPECT_EQ(DrawnPixel(ODS_FOCUS, p), pressed);
    EXPECT_EQ(DrawnPixel(ODS_SELECTED | ODS_FOCUS, p), pressed);
    EXPECT_EQ(DrawnPixel(ODS_DISABLED, p), normal);

    p = DifferingPoint(IDB_CONNECT_NORMAL, IDB_CONNECT_PRESSED);
    ASSERT_TRUE(button.LoadBitmaps(IDB_CONNECT_NORMAL, IDB_CONNECT_PRESSED, IDB_CONNECT_PRESSED, IDB_CONNECT_NORMAL));
    EXPECT_EQ(DrawnPixel(ODS_DISABLED, p), ResourcePixel(IDB_CONNECT_NORMAL, p.x, p.y));
    EXPECT_EQ(DrawnPixel(ODS_FOCUS, p), ResourcePixel(IDB_CONNECT_PRESSED, p.x, p.y));
}

TEST_F(ButtonFixture, OptionShowsItsPressedBitmapOnlyWhilePressed)
{
    POINT p = DifferingPoint(IDB_OPTION_NORMAL, IDB_OPTION_PRESSED);
    ASSERT_GE(p.x, 0);
    ASSERT_TRUE(button.LoadBitmaps(IDB_OPTION_NORMAL, IDB_OPTION_PRESSED, IDB_OPTION_NORMAL, IDB_OPTION_NORMAL));
    EXPECT_EQ(DrawnPixel(ODS_FOCUS, p), ResourcePixel(IDB_OPTION_NORMAL, p.x, p.y));
    EXPECT_EQ(DrawnPixel(ODS_SELECTED | ODS_FOCUS, p), ResourcePixel(IDB_OPTION_PRESSED, p.x, p.y));
}

TEST_F(ButtonFixture, ALargerItemKeepsWhatLiesOutsideTheBitmap)
{
    ASSERT_TRUE(button.LoadBitmaps(IDB_SAVE_NORMAL, IDB_SAVE_PRESSED, IDB_SAVE_PRESSED, IDB_SAVE_NORMAL));
    Canvas canvas;
    RECT all = {0, 0, 100, 40};
    HBRUSH marker = CreateSolidBrush(RGB(1, 2, 3));
    FillRect(canvas.dc, &all, marker);
    DeleteObject(marker);
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.hwndItem = button.m_hWnd;
    dis.hDC = canvas.dc;
    dis.rcItem = RECT{0, 0, 90, 30};   // the options dialog's buttons are 90 x 30
    button.DrawItem(&dis);
    EXPECT_EQ(GetPixel(canvas.dc, 86, 10), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(canvas.dc, 10, 29), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(canvas.dc, 40, 14), ResourcePixel(IDB_SAVE_NORMAL, 40, 14));
}
