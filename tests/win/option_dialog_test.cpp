// The options dialog against the test prefix's registry: defaults written on opening,
// the ID limit, Save and Cancel, an out-of-range resolution, and the layout.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/win/OptionSettings.h"
#include "tests/win/ControlPixels.h"
#include "tests/win/MessageBoxWatcher.h"
#include "tests/win/TempGameDir.h"
#include "ui/OptionDlg.h"
#include "ui/res/resource.h"

namespace {

DWORD ReadDword(const char* name)
{
    DWORD value = 0xDEAD, size = sizeof(value);
    RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

std::string ReadId()
{
    char text[128] = "<none>";
    DWORD size = sizeof(text);
    RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, "ID", RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

void WriteDword(const char* name, DWORD value)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof(value));
}

struct OptionFixture : ::testing::Test {
    TempGameDir dir;
    std::unique_ptr<COptionDlg> dialog;

    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override
    {
        if (dialog)
            dialog->DestroyWindow();
        DeleteSettingsKey();
    }
    // Constructs the dialog (which loads the settings) and shows it without a loop.
    void Open()
    {
        dialog.reset(new COptionDlg(1, 2, 5));
        ASSERT_TRUE(dialog->Create());
        ShowWindow(dialog->m_hWnd, SW_SHOW);
    }
    HWND Item(int id) { return GetDlgItem(dialog->m_hWnd, id); }
    int Checked(int id) { return static_cast<int>(SendMessageW(Item(id), BM_GETCHECK, 0, 0)); }
    void Click(int id)
    {
        SendMessageW(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    std::wstring Text(int id)
    {
        wchar_t text[64] = L"";
        GetWindowTextW(Item(id), text, 64);
        return text;
    }
    RECT Rect(int id)
    {
        RECT r;
        GetWindowRect(Item(id), &r);
        MapWindowPoints(nullptr, dialog->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        return RECT{r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
};

void ExpectRect(const RECT& r, int x, int y, int w, int h)
{
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right, w);
    EXPECT_EQ(r.bottom, h);
}

} // namespace

TEST_F(OptionFixture, FirstOpeningShowsAndStoresTheDefaults)
{
    COptionDlg constructed(1, 2, 5);   // the registry is written before anything is shown
    EXPECT_EQ(ReadId(), "");
    EXPECT_EQ(ReadDword("SoundOnOff"), 1u);
    EXPECT_EQ(ReadDword("MusicOnOff"), 0u);
    EXPECT_EQ(ReadDword("Resolution"), 2u);

    Open();
    EXPECT_EQ(Text(IDC_ID_EDIT), L"");
    EXPECT_EQ(Checked(IDC_SOUND_CHECK), BST_CHECKED);
    EXPECT_EQ(Checked(IDC_MUSIC_CHECK), BST_UNCHECKED);
    EXPECT_EQ(Checked(IDC_RES_640), BST_UNCHECKED);
    EXPECT_EQ(Checked(IDC_RES_800), BST_UNCHECKED);
    EXPECT_EQ(Checked(IDC_RES_1024), BST_CHECKED);
    EXPECT_EQ(Checked(IDC_RES_1280), BST_UNCHECKED);
}

TEST_F(OptionFixture, LayoutFollowsTheBackgroundBitmap)
{
    Open();
    RECT w;
    GetWindowRect(dialog->m_hWnd, &w);
    EXPECT_EQ(w.right - w.left, 472);
    EXPECT_EQ(w.bottom - w.top, 312);
    RECT c;
    GetClientRect(dialog->m_hWnd, &c);
    EXPECT_EQ(c.right, 470);
    EXPECT_EQ(c.bottom, 310);
    ExpectRect(Rect(IDC_SAVE_BUTTON), 250, 260, 90, 30);
    ExpectRect(Rect(IDCANCEL), 350, 260, 90, 30);
    ExpectRect(Rect(IDC_SOUND_CHECK), 35, 251, 150, 20);
    ExpectRect(Rect(IDC_MUSIC_CHECK), 35, 272, 150, 20);
    ExpectRect(Rect(IDC_RES_640), 45, 172, 90, 20);
    ExpectRect(Rect(IDC_RES_800), 145, 172, 90, 20);
    ExpectRect(Rect(IDC_RES_1024), 245, 172, 90, 20);
    ExpectRect(Rect(IDC_RES_1280), 350, 172, 90, 20);
    ExpectRect(Rect(IDC_ID_EDIT), 175, 55, 120, 20);
    EXPECT_NE(dialog->Background().Bits(), nullptr);
}

TEST_F(OptionFixture, TypingStopsAtTenCharacters)
{
    Open();
    HWND edit = Item(IDC_ID_EDIT);
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 10);
    SetFocus(edit);
    for (wchar_t c : std::wstring(L"abcdefghijkl"))
        SendMessageW(edit, WM_CHAR, c, 1);
    EXPECT_EQ(Text(IDC_ID_EDIT), L"abcdefghij");
}

TEST_F(OptionFixture, SaveWritesTheChoices)
{
    Open();
    SetWindowTextW(Item(IDC_ID_EDIT), L"player");
    SendMessageW(Item(IDC_MUSIC_CHECK), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Item(IDC_SOUND_CHECK), BM_SETCHECK, BST_UNCHECKED, 0);
    Click(IDC_RES_640);
    Click(IDC_SAVE_BUTTON);
    EXPECT_EQ(ReadId(), "player");
    EXPECT_EQ(ReadDword("SoundOnOff"), 0u);
    EXPECT_EQ(ReadDword("MusicOnOff"), 1u);
    EXPECT_EQ(ReadDword("Resolution"), 0u);
}

TEST_F(OptionFixture, CancelWritesNothing)
{
    COptionDlg created(1, 2, 5);   // creates the key
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "ID", REG_SZ, "keep", 5);
    WriteDword("Resolution", 1);
    Open();
    EXPECT_EQ(Text(IDC_ID_EDIT), L"keep");
    EXPECT_EQ(Checked(IDC_RES_800), BST_CHECKED);
    SetWindowTextW(Item(IDC_ID_EDIT), L"other");
    Click(IDC_RES_1280);
    Click(IDCANCEL);
    EXPECT_EQ(ReadId(), "keep");
    EXPECT_EQ(ReadDword("Resolution"), 1u);
}

TEST_F(OptionFixture, ResolutionOutOfRangeChecksNothingAndSavesAsDefault)
{
    COptionDlg created(1, 2, 5);
    WriteDword("Resolution", 9);
    Open();
    for (int id = IDC_RES_640; id <= IDC_RES_1280; ++id)
        EXPECT_EQ(Checked(id), BST_UNCHECKED) << id;
    EXPECT_EQ(ReadDword("Resolution"), 9u);   // kept until saved
    Click(IDC_SAVE_BUTTON);
    EXPECT_EQ(ReadDword("Resolution"), 2u);
}

TEST_F(OptionFixture, LongRegistryIdIsShownAndKeptWithTheLoadedChoices)
{
    COptionDlg created(1, 2, 5);
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "ID", REG_SZ, "abcdefghijklm", 14);
    WriteDword("SoundOnOff", 0);
    WriteDword("MusicOnOff", 1);
    MessageBoxWatcher watcher;
    Open();
    EXPECT_EQ(Text(IDC_ID_EDIT), L"abcdefghijklm");
    // Each reading of the controls stops at the length check, with its message.
    ASSERT_FALSE(watcher.boxes.empty());
    EXPECT_EQ(watcher.boxes[0].text, "Enter no more than 10 characters.");
    SendMessageW(Item(IDC_SOUND_CHECK), BM_SETCHECK, BST_CHECKED, 0);
    Click(IDC_SAVE_BUTTON);
    EXPECT_EQ(ReadId(), "abcdefghijklm");
    EXPECT_EQ(ReadDword("SoundOnOff"), 0u);   // not read past the failed check
    EXPECT_EQ(ReadDword("MusicOnOff"), 1u);

    // Shortened to ten characters, everything is read and saved.
    Open();
    SetWindowTextW(Item(IDC_ID_EDIT), L"abcdefghij");
    SendMessageW(Item(IDC_SOUND_CHECK), BM_SETCHECK, BST_CHECKED, 0);
    Click(IDC_SAVE_BUTTON);
    EXPECT_EQ(ReadId(), "abcdefghij");
    EXPECT_EQ(ReadDword("SoundOnOff"), 1u);
}

TEST_F(OptionFixture, StoredIdsUpTo63CharactersAreReadAndUnreadableOnesAreNeverOverwritten)
{
    COptionDlg created(1, 2, 5);
    const std::string id40(40, 'k'), id63(63, 'm'), id70(70, 'x');
    for (const std::string& id : {id40, id63}) {
        RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "ID", REG_SZ, id.c_str(), static_cast<DWORD>(id.size() + 1));
        MessageBoxWatcher watcher;   // the length check complains about the long text
        Open();
        EXPECT_EQ(Text(IDC_ID_EDIT).size(), id.size());
        Click(IDCANCEL);
        EXPECT_EQ(ReadId(), id);
    }

    // Too long to read: kept through opening, Cancel and a Save with no ID typed.
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "ID", REG_SZ, id70.c_str(), 71);
    Open();
    EXPECT_EQ(Text(IDC_ID_EDIT), L"");
    EXPECT_EQ(ReadId(), id70);
    Click(IDC_RES_640);
    Click(IDC_SAVE_BUTTON);
    EXPECT_EQ(ReadId(), id70);
    EXPECT_EQ(ReadDword("Resolution"), 0u);   // the other choices are saved
    // An ID the player types replaces it.
    Open();
    SetWindowTextW(Item(IDC_ID_EDIT), L"newid");
    Click(IDC_SAVE_BUTTON);
    EXPECT_EQ(ReadId(), "newid");

    // Not text at all: left alone as well.
    WriteDword("ID", 7);
    Open();
    Click(IDCANCEL);
    EXPECT_EQ(ReadDword("ID"), 7u);
}

// Enter acts as Save: the player who types an ID and presses Enter keeps it.
TEST_F(OptionFixture, EnterSavesTheEdits)
{
    Open();
    SetWindowTextW(Item(IDC_ID_EDIT), L"typed");
    Click(IDC_RES_800);
    SetFocus(Item(IDC_ID_EDIT));
    MSG msg = {Item(IDC_ID_EDIT), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {0, 0}};
    EXPECT_TRUE(dialog->PreTranslateMessage(&msg));
    EXPECT_EQ(ReadId(), "typed");
    EXPECT_EQ(ReadDword("Resolution"), 1u);
}

TEST_F(OptionFixture, RadioLabelsLookTheSameAfterClicksAndRepaints)
{
    Open();
    SetFocus(Item(IDC_ID_EDIT));
    UpdateWindow(dialog->m_hWnd);
    std::vector<COLORREF> radio640 = ControlPixels(Item(IDC_RES_640));
    std::vector<COLORREF> sound = ControlPixels(Item(IDC_SOUND_CHECK));
    ASSERT_FALSE(radio640.empty());
    for (int i = 0; i < 8; ++i) {
        SendMessageW(Item(IDC_RES_640), BM_CLICK, 0, 0);
        SendMessageW(Item(IDC_RES_1024), BM_CLICK, 0, 0);
        SendMessageW(Item(IDC_SOUND_CHECK), BM_CLICK, 0, 0);
        RedrawWindow(Item(IDC_RES_640), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    SetFocus(Item(IDC_ID_EDIT));
    UpdateWindow(dialog->m_hWnd);
    // Back in the first state: the same pixels, no text drawn over text.
    EXPECT_EQ(Checked(IDC_RES_1024), BST_CHECKED);
    EXPECT_TRUE(ControlPixels(Item(IDC_RES_640)) == radio640) << "the radio label darkened";
    EXPECT_TRUE(ControlPixels(Item(IDC_SOUND_CHECK)) == sound) << "the check box darkened";
}
