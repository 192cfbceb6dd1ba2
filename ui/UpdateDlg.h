#pragma once
// CUpdateDlg: the launcher's main window. It holds the update session record and runs
// the connection driver, the patch engine and the game launch; each concern lives in
// its own source file (net/win, patch/win, ui).
#include "app/PatchSession.h"
#include "framework/Dialog.h"

class CUpdateDlg : public CDialog {
public:
    CUpdateDlg();
    ~CUpdateDlg() override;

    PatchSession& Session() { return m_session; }

    BOOL OnInitDialog() override;

    // Close button: stops a running patch, otherwise ends the launcher.
    void OnCloseButton();

protected:
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnClose();

    DECLARE_MESSAGE_MAP()

private:
    PatchSession m_session;
    HWND m_closeButton = nullptr;
};
