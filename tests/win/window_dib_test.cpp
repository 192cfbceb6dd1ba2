// Bitmap images and the bitmap background dialog: header and palette rules for deep and
// palette sources, the failure path of a copy, tiled/stretched/centred painting, and
// the transparent colour answers of the dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <utility>
#include <vector>

#include "ui/DibDialog.h"
#include "ui/res/resource.h"

namespace {

// A device bitmap of the given depth and size, each pixel a distinct colour where the
// depth allows.
HBITMAP MakeSection(int bits, int width, int height, void** pixels = nullptr)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[256];
    } info = {};
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = width;
    info.h.biHeight = height;
    info.h.biPlanes = 1;
    info.h.biBitCount = static_cast<WORD>(bits);
    int entries = CDib::ColorTableEntries(bits);
    for (int i = 0; i < entries; ++i)
        info.colors[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0};
    void* dummy = nullptr;
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                            pixels ? pixels : &dummy, nullptr, 0);
}

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() { ReleaseDC(nullptr, dc); }
};

// Records every painting call instead of painting.
class RecordingDib : public CDib {
public:
    std::vector<std::pair<int, int>> draws;
    std::vector<RECT> stretches;
    void Draw(HDC, int x, int y) override { draws.push_back({x, y}); }
    void DrawStretched(HDC, int x, int y, int w, int h) override { stretches.push_back(RECT{x, y, w, h}); }
};

} // namespace

TEST(Dib, PaletteImageFromTheResources)
{
    CDib dib;
    ASSERT_TRUE(dib.LoadFromResource(IDB_BACKGROUND));
    const BITMAPINFOHEADER& h = dib.Header()->bmiHeader;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(dib.Width(), 421);
    EXPECT_EQ(dib.Height(), 350);   // positive: bottom-up rows
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(h.biSizeImage, 424u * 350u);
    EXPECT_EQ(dib.BitsSize(), 424u * 350u);
    ASSERT_NE(dib.Palette(), nullptr);

    // Every palette entry carries the colour table's red, green and blue.
    int count = CDib::ColorCount(h);
    PALETTEENTRY entries[256];
    ASSERT_EQ(GetPaletteEntries(*dib.Palette(), 0, 256, entries), static_cast<UINT>(count));
    for (int i = 0; i < count; ++i) {
        const RGBQUAD& q = dib.Header()->bmiColors[i];
        ASSERT_EQ(entries[i].peRed, q.rgbRed) << i;
        ASSERT_EQ(entries[i].peGreen, q.rgbGreen) << i;
        ASSERT_EQ(entries[i].peBlue, q.rgbBlue) << i;
    }
}

TEST(Dib, DeepSourcesBecomeTwentyFourBitsWithoutPalette)
{
    ScreenDc screen;
    const struct { int bits; DWORD sizeImage; } cases[] = {
        // 10 x 7 pixels as 24-bit rows of 32 bytes each; reading the rows sets the
        // header's image size to what was delivered.
        {24, 32u * 7u},
        {32, 32u * 7u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        HBITMAP source = MakeSection(c.bits, 10, 7);
        ASSERT_NE(source, nullptr);
        CDib dib;
        ASSERT_TRUE(dib.CopyFromBitmap(screen.dc, source));
        DeleteObject(source);
        EXPECT_EQ(dib.Header()->bmiHeader.biBitCount, 24);
        EXPECT_EQ(dib.Header()->bmiHeader.biSizeImage, c.sizeImage);
        EXPECT_EQ(dib.BitsSize(), 32u * 7u);
        EXPECT_EQ(dib.Palette(), nullptr);
        EXPECT_EQ(dib.LastFailure(), nullptr);
    }
}

TEST(Dib, SmallPalettesAndTheirTables)
{
    ScreenDc screen;
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        HBITMAP source = MakeSection(bits, 13, 5);
        CDib dib;
        ASSERT_TRUE(dib.CopyFromBitmap(screen.dc, source));
        DeleteObject(source);
        EXPECT_EQ(dib.Header()->bmiHeader.biBitCount, bits);
        ASSERT_NE(dib.Palette(), nullptr);
        int expected = CDib::ColorCount(dib.Header()->bmiHeader);
        EXPECT_EQ(static_cast<int>(GetPaletteEntries(*dib.Palette(), 0, 0, nullptr)), expected);
        // The second colour of the source table survives the copy.
        EXPECT_EQ(dib.Header()->bmiColors[1].rgbBlue, 1);
        EXPECT_EQ(dib.Header()->bmiColors[1].rgbGreen, 254);
        EXPECT_EQ(dib.Header()->bmiColors[1].rgbRed, 7);
        // Rows are allocated as 8-bit rows for every palette depth.
        EXPECT_EQ(dib.BitsSize(), 16u * 5u);
    }
}

TEST(Dib, FailedCopyLeavesTheImageEmpty)
{
    ScreenDc screen;
    CDib dib;
    ASSERT_TRUE(dib.LoadFromResource(IDB_CLOSE_NORMAL));
    EXPECT_FALSE(dib.CopyFromBitmap(screen.dc, nullptr));
    EXPECT_EQ(dib.Header(), nullptr);
    EXPECT_EQ(dib.Bits(), nullptr);
    EXPECT_EQ(dib.Palette(), nullptr);
    EXPECT_NE(dib.LastFailure(), nullptr);
    EXPECT_FALSE(dib.LoadFromResource(4242));   // no such resource
    // An empty image draws nothing and does not fail.
    HBITMAP target = MakeSection(32, 4, 4);
    HDC memory = CreateCompatibleDC(screen.dc);
    HGDIOBJ old = SelectObject(memory, target);
    dib.Draw(memory, 0, 0);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(target);
}

TEST(Dib, DrawingCopiesThePixels)
{
    ScreenDc screen;
    void* sourcePixels = nullptr;
    HBITMAP source = MakeSection(24, 4, 2, &sourcePixels);
    BYTE* p = static_cast<BYTE*>(sourcePixels);   // bottom-up: first row is the lowest
    p[0] = 10; p[1] = 20; p[2] = 30;              // blue, green, red of pixel (0, 1)
    GdiFlush();
    CDib dib;
    ASSERT_TRUE(dib.CopyFromBitmap(screen.dc, source));
    DeleteObject(source);

    HBITMAP target = MakeSection(32, 20, 20);
    HDC memory = CreateCompatibleDC(screen.dc);
    HGDIOBJ old = SelectObject(memory, target);
    dib.Draw(memory, 5, 6);
    EXPECT_EQ(GetPixel(memory, 5, 7), RGB(30, 20, 10));
    dib.DrawStretched(memory, 0, 0, 8, 4);   // twice the size
    EXPECT_EQ(GetPixel(memory, 1, 3), RGB(30, 20, 10));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(target);
}

TEST(DibBackground, TileStretchAndCenter)
{
    RecordingDib dib;
    ASSERT_TRUE(dib.LoadFromResource(IDB_BACKGROUND));   // 421 x 350

    PaintDibBackground(dib, kBackgroundTile, nullptr, 421, 350);
    EXPECT_EQ(dib.draws, (std::vector<std::pair<int, int>>{{0, 0}}));

    dib.draws.clear();
    PaintDibBackground(dib, kBackgroundTile, nullptr, 900, 400);
    EXPECT_EQ(dib.draws, (std::vector<std::pair<int, int>>{{0, 0}, {421, 0}, {842, 0}, {0, 350}, {421, 350}, {842, 350}}));

    dib.draws.clear();
    PaintDibBackground(dib, kBackgroundTile, nullptr, 0, 350);
    PaintDibBackground(dib, 7, nullptr, 421, 0);   // unknown modes tile too
    EXPECT_TRUE(dib.draws.empty());

    PaintDibBackground(dib, kBackgroundCenter, nullptr, 300, 200);
    EXPECT_EQ(dib.draws, (std::vector<std::pair<int, int>>{{-60, -75}}));

    PaintDibBackground(dib, kBackgroundStretch, nullptr, 600, 500);
    ASSERT_EQ(dib.stretches.size(), 1u);
    EXPECT_EQ(dib.stretches[0].right, 600);
    EXPECT_EQ(dib.stretches[0].bottom, 500);
}

namespace {

// A bitmap dialog on the options template, with a trackbar added for the colour rule.
class TestDibDialog : public CDibDialog {
public:
    TestDibDialog() : CDibDialog(IDD_OPTION) {}
    BOOL OnInitDialog() override
    {
        CDibDialog::OnInitDialog();
        trackbar = CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD, 0, 0, 50, 20, m_hWnd, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        return TRUE;
    }
    HWND trackbar = nullptr;
};

struct DialogFixture : ::testing::Test {
    TestDibDialog dialog;
    HDC memory = nullptr;
    HBITMAP target = nullptr;
    HGDIOBJ old = nullptr;

    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        ASSERT_TRUE(dialog.Create());
        // A client area larger than the image in both directions.
        RECT r = {0, 0, 500, 400};
        AdjustWindowRectEx(&r, dialog.GetStyle(), FALSE, 0);
        SetWindowPos(dialog.m_hWnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
        ScreenDc screen;
        memory = CreateCompatibleDC(screen.dc);
        target = CreateCompatibleBitmap(screen.dc, 500, 400);
        old = SelectObject(memory, target);
    }
    void TearDown() override
    {
        SelectObject(memory, old);
        DeleteObject(target);
        DeleteDC(memory);
        dialog.DestroyWindow();
    }
    LRESULT Send(UINT msg, WPARAM w, LPARAM l) { return SendMessageW(dialog.m_hWnd, msg, w, l); }
};

} // namespace

TEST_F(DialogFixture, EraseTilesTheBackgroundOverTheWholeClientArea)
{
    // Without an image the dialog's own erasing runs.
    EXPECT_EQ(dialog.Background().Bits(), nullptr);
    ASSERT_TRUE(dialog.SetBackground(IDB_BACKGROUND, kBackgroundTile));
    EXPECT_EQ(Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0), TRUE);
    // The repeated copies to the right and below match the first copy.
    EXPECT_EQ(GetPixel(memory, 421 + 30, 40), GetPixel(memory, 30, 40));
    EXPECT_EQ(GetPixel(memory, 60, 350 + 20), GetPixel(memory, 60, 20));
    EXPECT_EQ(GetPixel(memory, 421 + 5, 350 + 5), GetPixel(memory, 5, 5));
    EXPECT_NE(GetPixel(memory, 10, 10), GetPixel(memory, 200, 250));   // an image, not a fill
}

TEST_F(DialogFixture, StaticsAndButtonsAreTransparentExceptTrackbars)
{
    HWND edit = GetDlgItem(dialog.m_hWnd, IDC_ID_EDIT);
    HWND check = GetDlgItem(dialog.m_hWnd, IDC_SOUND_CHECK);
    HBRUSH nullBrush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    WPARAM dc = reinterpret_cast<WPARAM>(memory);

    // No image yet: default colours.
    EXPECT_NE(reinterpret_cast<HBRUSH>(Send(WM_CTLCOLORSTATIC, dc, reinterpret_cast<LPARAM>(check))), nullBrush);

    ASSERT_TRUE(dialog.SetBackground(IDB_BACKGROUND, kBackgroundTile));
    SetBkMode(memory, OPAQUE);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(Send(WM_CTLCOLORSTATIC, dc, reinterpret_cast<LPARAM>(check))), nullBrush);
    EXPECT_EQ(GetBkMode(memory), TRANSPARENT);
    SetBkMode(memory, OPAQUE);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(Send(WM_CTLCOLORBTN, dc, reinterpret_cast<LPARAM>(check))), nullBrush);
    EXPECT_EQ(GetBkMode(memory), TRANSPARENT);

    SetBkMode(memory, OPAQUE);
    EXPECT_NE(reinterpret_cast<HBRUSH>(Send(WM_CTLCOLORSTATIC, dc, reinterpret_cast<LPARAM>(dialog.trackbar))),
              nullBrush);
    EXPECT_EQ(GetBkMode(memory), OPAQUE);
    EXPECT_NE(reinterpret_cast<HBRUSH>(Send(WM_CTLCOLOREDIT, dc, reinterpret_cast<LPARAM>(edit))), nullBrush);
}

TEST_F(DialogFixture, PaletteMessagesOfItsOwnChildrenAreIgnored)
{
    ASSERT_TRUE(dialog.SetBackground(IDB_BACKGROUND, kBackgroundTile));
    ASSERT_NE(dialog.Background().Palette(), nullptr);
    // Neither message may fail or repaint from a child's palette change; on a true-colour
    // display realising changes no entries, so the focus message answers FALSE.
    Send(WM_PALETTECHANGED, reinterpret_cast<WPARAM>(GetDlgItem(dialog.m_hWnd, IDC_ID_EDIT)), 0);
    Send(WM_PALETTECHANGED, reinterpret_cast<WPARAM>(GetDesktopWindow()), 0);
    EXPECT_EQ(Send(WM_QUERYNEWPALETTE, 0, 0), FALSE);
    EXPECT_TRUE(IsWindow(dialog.m_hWnd));
}
