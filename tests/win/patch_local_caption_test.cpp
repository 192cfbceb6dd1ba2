// The transfer caption drawn into a real window under the X server, read back pixel
// by pixel: where it lands, which background it takes, that the text is centred and
// cut, and that nothing around the strip changes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "patch/win/TransferCaption.h"

namespace {

const COLORREF kWindowColour = RGB(40, 90, 160);
const COLORREF kSampleColour = RGB(200, 180, 20);   // only at the sample point
const int kClientWidth = 340;
const int kClientHeight = 150;
const char kWindowClass[] = "ZrCaptionTestWindow";

LRESULT CALLBACK PaintBackground(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(kWindowColour);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        SetPixel(dc, kCaptionSampleX, kCaptionSampleY, kSampleColour);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

struct CaptionFixture : ::testing::Test {
    // One window for all cases, never destroyed: hiding a shown window waits two
    // seconds for a window manager that the test display does not run. The end of the
    // process removes it.
    static HWND s_window;
    HWND window = nullptr;

    static void SetUpTestSuite()
    {
        if (s_window)
            return;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PaintBackground;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kWindowClass;
        RegisterClassA(&wc);
        s_window = CreateWindowExA(0, kWindowClass, "caption", WS_POPUP | WS_VISIBLE, 10, 10,
                                   kClientWidth, kClientHeight, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    }

    void SetUp() override
    {
        window = s_window;
        ASSERT_NE(window, nullptr);
        RECT client;
        GetClientRect(window, &client);
        ASSERT_EQ(client.right, kClientWidth);
        ASSERT_EQ(client.bottom, kClientHeight);
        // A full repaint; the strip keeps the caption of an earlier case.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump();
        ASSERT_EQ(Pixel(0, 0), kWindowColour);
        ASSERT_EQ(Pixel(kCaptionSampleX, kCaptionSampleY), kSampleColour);
    }

    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    COLORREF Pixel(int x, int y) const
    {
        HDC dc = GetDC(window);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return c;
    }
    static bool InStrip(int x, int y)
    {
        return x >= kCaptionLeft && x < kCaptionLeft + kCaptionWidth && y >= kCaptionTop &&
               y < kCaptionTop + kCaptionHeight;
    }

    // Scans the whole client area once: text pixels in the strip and their extent,
    // and pixels outside the strip that are not what the window painted.
    struct Scan {
        int background = 0, text = 0, changedOutside = 0;
        int minX = 100000, maxX = -1, minY = 100000, maxY = -1;
    };
    Scan ScanClient() const
    {
        Scan s;
        HDC dc = GetDC(window);
        for (int y = 0; y < kClientHeight; ++y) {
            for (int x = 0; x < kClientWidth; ++x) {
                COLORREF c = GetPixel(dc, x, y);
                if (!InStrip(x, y)) {
                    bool sample = x == kCaptionSampleX && y == kCaptionSampleY;
                    if (c != (sample ? kSampleColour : kWindowColour))
                        ++s.changedOutside;
                } else if (c == kSampleColour) {
                    ++s.background;
                } else {
                    ++s.text;
                    s.minX = std::min(s.minX, x);
                    s.maxX = std::max(s.maxX, x);
                    s.minY = std::min(s.minY, y);
                    s.maxY = std::max(s.maxY, y);
                }
            }
        }
        ReleaseDC(window, dc);
        return s;
    }
};

HWND CaptionFixture::s_window = nullptr;

TEST_F(CaptionFixture, TextIsCentredOnTheSampledBackgroundInsideTheStrip)
{
    DrawTransferCaption(window, "Expanding (42%)");
    Scan s = ScanClient();
    EXPECT_EQ(s.changedOutside, 0);
    EXPECT_EQ(Pixel(kCaptionLeft, kCaptionTop), kSampleColour);
    EXPECT_EQ(Pixel(kCaptionLeft + kCaptionWidth - 1, kCaptionTop + kCaptionHeight - 1),
              kSampleColour);
    EXPECT_GT(s.text, 20);
    EXPECT_GT(s.background, s.text);
    // Centred across: equal margins within a few pixels; top-aligned.
    int leftMargin = s.minX - kCaptionLeft;
    int rightMargin = kCaptionLeft + kCaptionWidth - 1 - s.maxX;
    EXPECT_GT(leftMargin, 10);
    EXPECT_LE(std::abs(leftMargin - rightMargin), 4);
    EXPECT_LT(s.minY, kCaptionTop + 6);
}

TEST_F(CaptionFixture, WideTextIsCutAtBothSidesAndANewTextReplacesTheOld)
{
    DrawTransferCaption(window, std::string(80, 'W').c_str());
    Scan wide = ScanClient();
    EXPECT_EQ(wide.changedOutside, 0);
    EXPECT_LE(wide.minX, kCaptionLeft + 2);
    EXPECT_GE(wide.maxX, kCaptionLeft + kCaptionWidth - 3);

    // The strip is repainted whole, so a short text leaves no trace of the long one.
    DrawTransferCaption(window, "1%");
    Scan shortText = ScanClient();
    EXPECT_EQ(shortText.changedOutside, 0);
    EXPECT_GT(shortText.text, 0);
    EXPECT_GT(shortText.minX, kCaptionLeft + 40);
    EXPECT_LT(shortText.maxX, kCaptionLeft + kCaptionWidth - 40);

    // An empty text leaves only the background.
    DrawTransferCaption(window, "");
    EXPECT_EQ(ScanClient().text, 0);
}

TEST_F(CaptionFixture, HangulTextDrawsTheSameOverManyCalls)
{
    // Catalogue texts are UTF-8; "압축 해제 (7%)" draws glyphs, many times over.
    for (int i = 0; i < 200; ++i)
        DrawTransferCaption(window, "\xEC\x95\x95\xEC\xB6\x95 \xED\x95\xB4\xEC\xA0\x9C (7%)");
    Scan s = ScanClient();
    EXPECT_EQ(s.changedOutside, 0);
    EXPECT_GT(s.text, 20);
    DrawTransferCaption(nullptr, "no window");   // nothing to draw on: no effect
}

} // namespace
