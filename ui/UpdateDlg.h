#pragma once
// CUpdateDlg: the launcher's main window and the place where its parts meet. It holds
// the update session record, owns the connection driver and the patch engine, shows
// what both report, and hands the driver's patch-server replies to the engine.
#include "app/PatchSession.h"
#include "framework/BitmapButton.h"
#include "framework/GdiObject.h"
#include "framework/ProgressCtrl.h"
#include "framework/ToolTipCtrl.h"
#include "net/win/ConnectionDriver.h"
#include "net/win/ConnectionView.h"
#include "patch/win/PatchEngine.h"
#include "patch/win/PatchReporter.h"
#include "ui/DibDialog.h"
#include "ui/HyperLink.h"
#include "ui/LinkLabel.h"
#include "ui/WebBrowser.h"

#include <memory>

class CUpdateDlg : public CDibDialog, public ConnectionView, public PatchReporter {
public:
    CUpdateDlg();
    ~CUpdateDlg() override;

    PatchSession& Session() { return m_session; }

    BOOL OnInitDialog() override;
    // Places, skins and configures every child control.
    void InitControls();
    // Option button (and the Connect button before a launch without config.ini): the
    // click sound, then the options dialog run modally.
    void OpenOptionsDialog();
    // The options dialog; true when the player asked for a repair there.
    bool RunOptionsDialog(bool offerRepair);
    void StartRepair();

    // Close button: stops a running patch, otherwise ends the launcher.
    void OnCloseButton();

    // Status line in its three styles (black on white, white on red, black on grey),
    // repainted at once; and one step of the message loop for long work
    // (UpdateDlgStatus.cpp).
    void ShowStatus(const char* text) override;
    void ShowStatusError(const char* text) override;
    void ShowStatusReady(const char* text) override;
    void PumpOneMessage() override;
    CLinkLabel& StatusLine() { return m_status; }

    // The connection driver's window: the Connect button and the events' target.
    void ShowConnectButton(bool shown) override;
    HWND NotifyWindow() override;
    ConnectionDriver& Driver() { return *m_driver; }

    // Connection: the Connect button's stand-in where the skin made none, then the
    // driver's first attempt; the timer and socket events go to the driver.
    void StartNetwork();
    void OnTimer(UINT_PTR id);
    LRESULT OnSocketNotify(WPARAM wParam, LPARAM lParam);
    // Connect button: the game launch once ready, otherwise a new attempt.
    void OnConnectButton();

    // What the patch engine shows and does through the window (UpdateDlgPatch.cpp).
    void EnterReady() override;
    void OfferRetry() override;
    void SetBarRange(PatchBar bar, int high) override;
    void SetBarPos(PatchBar bar, int pos) override;
    void SetCounterText(PatchCounter counter, const char* text) override;
    void DrawTransferCaption(const char* text) override;
    void CloseConnectSocket() override;
    HWND OwnerWindow() override;
    // Connect button once ready: sound, options dialog without "config.ini", then
    // the game program (or the test program) started with "connect".
    void LaunchGame();

protected:
    BOOL PreTranslateMessage(MSG* msg) override;
    void DoDataExchange(CDataExchange* dx) override;
    // Enter (the dialog's OK) never ends the launcher; only Close does.
    void OnOK() override {}
    void OnClose();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColor);
    void OnLButtonDown(UINT flags, POINT point);
    void OnMove(int x, int y);
    // Skin, icon, size, title and position of the window, then InitControls.
    void InitWindow();
    // The window's share of closing: size bitmap, default close, fill brush.
    void CloseWindowPart();

    DECLARE_MESSAGE_MAP()

private:
    PatchSession m_session;
    // Window controls and skin, in binding order where bound.
    CProgressCtrl m_progressVersion;   // 1022, the thin lower bar
    CProgressCtrl m_progressFile;      // 1021, the thick upper bar
    CHyperLink m_link;                 // 1005
    CWebBrowser m_notice;              // 1004
    CBrush m_fillBrush;                // the dialog's own colour request
    CBitmapButton m_optionButton;      // 1997
    CBitmapButton m_connectButton;     // 1999, hidden until the update has ended
    CBitmapButton m_closeButton;       // 2000
    CToolTipCtrl m_toolTip;
    CBitmap m_sizeBitmap;              // bitmap 141, measures the window
    HICON m_icon = nullptr;
    CLinkLabel m_status;
    CLinkLabel m_versionCounter;
    CLinkLabel m_fileCounter;
    // Created with the dialog; work on m_session and report through this window.
    std::unique_ptr<PatchEngine> m_engine;
    std::unique_ptr<ConnectionDriver> m_driver;

    CProgressCtrl& Bar(PatchBar bar);
    // The click sound of the Option and Connect buttons.
    void PlayClickSound();
};
