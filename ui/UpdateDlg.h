#pragma once
// CUpdateDlg: the launcher's main window. It holds the update session record and runs
// the connection driver, the patch engine and the game launch; each concern lives in
// its own source file (net/win, patch/win, ui).
#include "app/PatchSession.h"
#include "framework/BitmapButton.h"
#include "framework/GdiObject.h"
#include "framework/ProgressCtrl.h"
#include "framework/ToolTipCtrl.h"
#include "ui/DibDialog.h"
#include "ui/HyperLink.h"
#include "ui/WebBrowser.h"
#include "net/FrameHandler.h"
#include "net/PatchServerFrame.h"
#include "ui/LinkLabel.h"
#include "patch/win/PatchEngine.h"
#include "patch/win/PatchReporter.h"

#include <memory>

// Socket events of the connect socket (WSAAsyncSelect): lParam holds the event in its
// low word and the error code in its high word; wParam is the socket.
#define WM_SOCKET_NOTIFY (WM_USER + 1000)
// One-shot timer that starts a connection attempt.
enum { kConnectTimer = 1, kConnectDelayMs = 100, kFailureShowMs = 500 };

class CUpdateDlg : public CDibDialog, public FrameHandler, public PatchReporter {
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

    // Close button: stops a running patch, otherwise ends the launcher.
    void OnCloseButton();

    // Status line in its three styles (black on white, white on red, black on grey),
    // repainted at once; and one step of the message loop for long work.
    void ShowStatus(const char* text) override;
    void ShowStatusError(const char* text) override;
    void ShowStatusReady(const char* text);
    void PumpOneMessage() override;
    CLinkLabel& StatusLine() { return m_status; }

    // Connection driver: socket library, "zr.tmp", "Temp" and the first attempt.
    void StartNetwork();
    void OnTimer(UINT_PTR id);
    LRESULT OnSocketNotify(WPARAM wParam, LPARAM lParam);
    // Connect button while not ready: hide it and start a new attempt.
    void OnConnectButton();
    void EnterReady() override;
    void EnterIdle();
    void OfferRetry() override;
    void SendVersion() override;
    // A patch-server reply starts the patch engine's session and version walk.
    int BeginPatch(const char* host, unsigned short port, const char* user,
                   const char* password, const char* catalogue) override;

    // What the patch engine shows and does through the window (UpdateDlgPatch.cpp).
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
    // Created with the dialog; works on m_session and reports through this window.
    std::unique_ptr<PatchEngine> m_engine;

    void ConnectionFailed();
};
