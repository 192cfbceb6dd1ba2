// The web-site link: failure texts, the registered opener's command line and its
// buffer limit, registry defaults, fitting to the text, colours, hover and tooltip.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui/HyperLink.h"

namespace {

const char kTestRoot[] = "Software\\ZrLauncherTests\\Classes";

void SetDefault(const char* subkey, const char* value)
{
    std::string path = std::string(kTestRoot) + "\\" + subkey;
    RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), nullptr, REG_SZ, value, static_cast<DWORD>(strlen(value) + 1));
}

struct RegistryFixture : ::testing::Test {
    HKEY root = nullptr;
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ZrLauncherTests");
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(root);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ZrLauncherTests");
    }
};

} // namespace

TEST(HyperLinkText, FailureTextsCarryThePrefixAndTheReason)
{
    const std::string prefix = "Unable to open hyperlink:\n\n";
    EXPECT_EQ(HyperLinkFailureText(26), prefix + "A sharing violation occurred. ");
    EXPECT_EQ(HyperLinkFailureText(99), prefix + "Unknown Error (99) occurred.");
    EXPECT_EQ(HyperLinkFailureText(0), prefix + "The operating system is out\nof memory or resources.");
    EXPECT_EQ(HyperLinkFailureText(2), prefix + "The specified file was not found.");
    EXPECT_EQ(HyperLinkFailureText(11), prefix + "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    EXPECT_EQ(HyperLinkFailureText(30), prefix +
              "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.");
    EXPECT_EQ(HyperLinkFailureText(31), prefix + "There is no application associated\nwith the given filename extension.");
    EXPECT_EQ(HyperLinkFailureText(32), prefix + "The specified dynamic-link library was not found.");
    EXPECT_EQ(HyperLinkFailureText(-5), prefix + "Unknown Error (-5) occurred.");
}

TEST(HyperLinkText, OpenerCommandIsCutAtItsPlaceholder)
{
    char out[CHyperLink::kCommandBufferSize];
    ASSERT_EQ(BuildOpenerCommand("\"C:\\b\\browse.exe\" \"%1\"", "www.zr-online.net", out, sizeof(out)), 1);
    EXPECT_STREQ(out, "\"C:\\b\\browse.exe\"  www.zr-online.net");
    ASSERT_EQ(BuildOpenerCommand("browse.exe -nohome %1 -x", "site", out, sizeof(out)), 1);
    EXPECT_STREQ(out, "browse.exe -nohome  site");
    ASSERT_EQ(BuildOpenerCommand("browse.exe", "site", out, sizeof(out)), 1);
    EXPECT_STREQ(out, "browse.exe site");
}

TEST(HyperLinkText, CommandThatDoesNotFitIsRefused)
{
    char out[16];
    // "abcdefghij" + " " + "abcd" + zero is exactly 16 bytes.
    EXPECT_EQ(BuildOpenerCommand("abcdefghij", "abcd", out, sizeof(out)), 1);
    EXPECT_STREQ(out, "abcdefghij abcd");
    strcpy(out, "garbage");
    EXPECT_EQ(BuildOpenerCommand("abcdefghij", "abcde", out, sizeof(out)), 0);
    EXPECT_STREQ(out, "");
    std::string longCommand(600, 'x');
    char big[CHyperLink::kCommandBufferSize];
    EXPECT_EQ(BuildOpenerCommand(longCommand.c_str(), "t", big, sizeof(big)), 0);
}

TEST_F(RegistryFixture, RegistryDefaultsAndErrors)
{
    std::string value = "unchanged";
    EXPECT_NE(CHyperLink::ReadRegistryDefault(root, "missing", value), 0);
    EXPECT_EQ(value, "unchanged");
    SetDefault(".htm", "zrtestfile");
    EXPECT_EQ(CHyperLink::ReadRegistryDefault(root, ".htm", value), 0);
    EXPECT_EQ(value, "zrtestfile");
    RegSetKeyValueA(root, "novalue", "other", REG_SZ, "x", 2);
    EXPECT_EQ(CHyperLink::ReadRegistryDefault(root, "novalue", value), 0);
    EXPECT_EQ(value, "");
}

TEST_F(RegistryFixture, RegisteredOpenerRunsOrReportsTheShellCode)
{
    // No ".htm" registration: the shell's code comes back.
    EXPECT_EQ(CHyperLink::OpenWithRegisteredOpener("site", SW_HIDE, root, 31), 31);
    SetDefault(".htm", "zrtestfile");
    EXPECT_EQ(CHyperLink::OpenWithRegisteredOpener("site", SW_HIDE, root, 2), 2);   // no command key

    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    std::string opener = std::string("\"") + system + "\\cmd.exe\" /c exit \"%1\"";
    SetDefault("zrtestfile\\shell\\open\\command", opener.c_str());
    EXPECT_GT(CHyperLink::OpenWithRegisteredOpener("site", SW_HIDE, root, 2), 31);

    // A command and target that would overflow the 520-byte line are never run.
    std::string longTarget(300, 't');
    std::string command = std::string(system) + "\\cmd.exe /c exit " + std::string(200, 'x') + " %1";
    SetDefault("zrtestfile\\shell\\open\\command", command.c_str());
    EXPECT_EQ(CHyperLink::OpenWithRegisteredOpener(longTarget.c_str(), SW_HIDE, root, 5), 5);
    EXPECT_GT(CHyperLink::OpenWithRegisteredOpener("short", SW_HIDE, root, 5), 31);

    // A command too long to read, or empty, is no opener either.
    SetDefault("zrtestfile\\shell\\open\\command", std::string(300, 'c').c_str());
    EXPECT_EQ(CHyperLink::OpenWithRegisteredOpener("site", SW_HIDE, root, 8), 8);
    SetDefault("zrtestfile\\shell\\open\\command", "");
    EXPECT_EQ(CHyperLink::OpenWithRegisteredOpener("site", SW_HIDE, root, 8), 8);
}

namespace {

struct LinkFixture : ::testing::Test {
    CWnd parent;
    CHyperLink link;
    HWND control = nullptr;

    void SetUp() override
    {
        RECT r = {0, 0, 423, 352};
        ASSERT_TRUE(parent.CreateEx(0, L"STATIC", L"", WS_POPUP, r, nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }

    void MakeLink(DWORD style, const wchar_t* text)
    {
        control = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | style, 155, 160, 250, 19,
                                  parent.m_hWnd, reinterpret_cast<HMENU>(1005), GetModuleHandleW(nullptr), nullptr);
        HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        ASSERT_TRUE(link.SubclassWindow(control));
    }
    RECT Rect()
    {
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, parent.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    SIZE TextSize(const wchar_t* text)
    {
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, link.GetFont());
        SIZE s;
        GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &s);
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        return s;
    }
};

} // namespace

TEST_F(LinkFixture, SiteLinkShrinksToItsTextAtTheTopLeft)
{
    MakeLink(SS_LEFT, L"placeholder text");
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    EXPECT_EQ(link.GetTarget(), "placeholder text");   // the text became the target
    link.MoveWindow(155, 160, 250, 19, TRUE);
    link.SetWindowText("www.zr-online.net");
    link.SetTarget("www.zr-online.net");
    link.SetUnderlined(false);

    SIZE text = TextSize(L"www.zr-online.net");
    RECT r = Rect();
    EXPECT_EQ(r.left, 155);
    EXPECT_EQ(r.top, 160);
    EXPECT_EQ(r.right - r.left, text.cx);
    EXPECT_EQ(r.bottom - r.top, text.cy);
    EXPECT_LT(text.cx, 250);

    LOGFONTW lf;
    ASSERT_TRUE(GetObjectW(link.GetFont(), sizeof(lf), &lf));
    EXPECT_FALSE(lf.lfUnderline);
    EXPECT_EQ(link.ToolTip().GetText(&link, CHyperLink::kToolId), "www.zr-online.net");
}

TEST_F(LinkFixture, CentredAndRightAlignedLinksShrinkAroundTheirText)
{
    MakeLink(SS_CENTER | SS_CENTERIMAGE, L"abc");
    SIZE text = TextSize(L"abc");
    RECT r = Rect();
    EXPECT_EQ(r.left, 155 + (250 - text.cx) / 2);
    EXPECT_EQ(r.top, 160 + (19 - text.cy) / 2);
    link.UnsubclassWindow();
    DestroyWindow(control);

    CHyperLink right;
    control = CreateWindowExW(0, L"STATIC", L"abc", WS_CHILD | SS_RIGHT, 155, 160, 250, 19, parent.m_hWnd,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(right.SubclassWindow(control));
    r = Rect();
    EXPECT_EQ(r.right, 405);
    EXPECT_LT(r.left, 400);
}

TEST_F(LinkFixture, ColoursFollowHoverAndVisits)
{
    MakeLink(SS_LEFT, L"www.zr-online.net");
    HDC dc = GetDC(control);
    LRESULT brush = parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetTextColor(dc), RGB(100, 100, 238));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);

    // Pointer onto the link: hover colour and the mouse captured; off it: released.
    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(link.IsHovering());
    EXPECT_EQ(GetCapture(), control);
    parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_HIGHLIGHT));
    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(5, 3));   // still inside
    EXPECT_TRUE(link.IsHovering());
    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(-4, 3));
    EXPECT_FALSE(link.IsHovering());
    EXPECT_NE(GetCapture(), control);

    link.MarkVisited(true);
    parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    EXPECT_EQ(GetTextColor(dc), RGB(85, 26, 139));
    ReleaseDC(control, dc);
}

TEST_F(LinkFixture, CursorMessageIsHandledOnlyWithAHandCursor)
{
    MakeLink(SS_LEFT, L"www.zr-online.net");
    LRESULT handled = SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(handled != 0, link.HandCursor() != nullptr);
}

TEST_F(LinkFixture, HoverEndsWhenTheMouseIsTakenAway)
{
    MakeLink(SS_LEFT, L"www.zr-online.net");
    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    ASSERT_TRUE(link.IsHovering());
    // A message box after a failed open, or any other window, takes the capture: the
    // link never sees the pointer leave and must not stay in its hover colour.
    SetCapture(parent.m_hWnd);
    EXPECT_FALSE(link.IsHovering());
    EXPECT_EQ(link.CurrentTextColor(), RGB(100, 100, 238));
    ReleaseCapture();
}
