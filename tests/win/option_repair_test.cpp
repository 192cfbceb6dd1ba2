// The options dialog's repair entry: shown only when the main window offers it, placed
// in the artwork's free corner above Save and Close, labelled from the catalogue, and
// a click ends the dialog with the request and without saving the edits.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "app/win/OptionSettings.h"
#include "framework/Text.h"
#include "tests/win/TempGameDir.h"
#include "tests/win/patch_ftp_support.h"
#include "ui/OptionDlg.h"
#include "ui/res/resource.h"

namespace {

struct OptionRepairTest : ::testing::Test {
    TempGameDir dir;
    std::unique_ptr<COptionDlg> dialog;

    static void SetUpTestSuite() { g_msg.LoadCTF(SourceFile("app/message.en.ctf").c_str()); }
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override
    {
        if (dialog && dialog->m_hWnd)
            dialog->DestroyWindow();
        DeleteSettingsKey();
    }

    void Open(bool offer)
    {
        dialog.reset(new COptionDlg(1, 2, 5));
        dialog->OfferRepair(offer);
        ASSERT_TRUE(dialog->Create());
        ShowWindow(dialog->m_hWnd, SW_SHOW);
    }
    HWND Link() { return GetDlgItem(dialog->m_hWnd, IDC_REPAIR_LINK); }
};

} // namespace

TEST_F(OptionRepairTest, HiddenUnlessOfferedAndPlacedAboveTheButtons)
{
    Open(false);
    ASSERT_NE(Link(), nullptr);
    EXPECT_FALSE(IsWindowVisible(Link()));
    dialog->DestroyWindow();

    Open(true);
    EXPECT_TRUE(IsWindowVisible(Link()));
    wchar_t text[64] = L"";
    GetWindowTextW(Link(), text, 64);
    EXPECT_EQ(std::wstring(text), Utf8ToWide(g_msg.Get(kMsgRepairLink)));
    RECT link, save;
    GetWindowRect(Link(), &link);
    GetWindowRect(GetDlgItem(dialog->m_hWnd, IDC_SAVE_BUTTON), &save);
    EXPECT_LE(link.bottom, save.top);   // above Save and Close, clear of them
    EXPECT_GE(link.right, save.right);  // and reaching over them to the right
    // A click reaches the dialog: the static control notifies its parent.
    EXPECT_NE(GetWindowLongW(Link(), GWL_STYLE) & SS_NOTIFY, 0);
}

TEST_F(OptionRepairTest, AClickAsksForTheRepairAndSavesNothing)
{
    Open(true);
    EXPECT_FALSE(dialog->RepairRequested());
    SetWindowTextW(GetDlgItem(dialog->m_hWnd, IDC_ID_EDIT), L"player");
    SendMessageW(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_REPAIR_LINK, STN_CLICKED),
                 reinterpret_cast<LPARAM>(Link()));
    EXPECT_TRUE(dialog->RepairRequested());
    char id[64] = "";
    DWORD size = sizeof id;
    RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, "ID", RRF_RT_REG_SZ, nullptr, id, &size);
    EXPECT_STREQ(id, "");
}
