// The notice browser: hosted by the control container and navigated without waiting;
// a window that hosts no control refuses the request instead of failing.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/WinApp.h"
#include "ui/WebBrowser.h"

namespace {

struct BrowserFixture : ::testing::Test {
    CWnd parent;
    void SetUp() override
    {
        AfxEnableControlContainer();
        RECT r = {0, 0, 423, 352};
        ASSERT_TRUE(parent.CreateEx(0, L"STATIC", L"", WS_POPUP, r, nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
};

} // namespace

TEST_F(BrowserFixture, HostedControlAcceptsOneNavigation)
{
    CWebBrowser browser;
    RECT r = {25, 180, 415, 345};
    ASSERT_TRUE(browser.Create("", WS_VISIBLE | WS_TABSTOP, r, &parent, 1004));
    VARIANT empty;
    VariantInit(&empty);
    DWORD before = GetTickCount();
    EXPECT_EQ(browser.Navigate("about:blank", &empty, &empty, &empty, &empty), 1);
    EXPECT_EQ(browser.Navigate("http://127.0.0.1:9/notice.html", nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_LT(GetTickCount() - before, 5000u);   // loading never blocks the caller
    RECT placed;
    GetWindowRect(browser.m_hWnd, &placed);
    EXPECT_EQ(placed.right - placed.left, 390);
    EXPECT_EQ(placed.bottom - placed.top, 165);
}

TEST_F(BrowserFixture, WindowWithoutControlRefuses)
{
    CWebBrowser browser;
    EXPECT_EQ(browser.Navigate("about:blank", nullptr, nullptr, nullptr, nullptr), 0);   // no window
    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent.m_hWnd, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(browser.SubclassWindow(plain));
    EXPECT_EQ(browser.Navigate("about:blank", nullptr, nullptr, nullptr, nullptr), 0);
}
