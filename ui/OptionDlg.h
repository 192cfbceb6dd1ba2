#pragma once
// COptionDlg: the modal dialog in which the player sets the account ID, sound effects,
// music and the game's screen resolution. The settings are loaded from the registry
// (migrating an older config.ini) as soon as the object exists, and written back only
// by the Save button.
#include "app/win/OptionSettings.h"
#include "framework/BitmapButton.h"
#include "framework/Static.h"
#include "ui/DibDialog.h"

class COptionDlg : public CDibDialog {
public:
    enum { kMaxIdChars = 10 };

    COptionDlg(int major, int minor, int patch, CWnd* parent = nullptr);
    ~COptionDlg() override;

    // Shows the entry that asks for a repair of the game files (hidden by default).
    void OfferRepair(bool offer) { m_offerRepair = offer; }
    // Set when the player chose the repair entry; the dialog then ended without saving.
    bool RepairRequested() const { return m_repairRequested; }

    const OptionSettings& Settings() const { return m_settings; }
    int WindowWidth() const { return m_windowWidth; }
    int WindowHeight() const { return m_windowHeight; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status);
    void OnSave();
    void OnOK() override;
    void OnResolution(UINT id);
    void OnRepair();
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColor);

    DECLARE_MESSAGE_MAP()

private:
    CBitmapButton m_cancelButton;
    CBitmapButton m_saveButton;
    CStatic m_repairLink;
    OptionSettings m_settings;
    CBitmap m_backgroundSize;   // bitmap 123, loaded only to measure the window
    int m_windowWidth = 0;
    int m_windowHeight = 0;
    VersionTriple m_version = {0, 0, 0};
    bool m_offerRepair = false;
    bool m_repairRequested = false;
};
