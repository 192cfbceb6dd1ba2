#pragma once
// CUpdateDlg: the launcher's main window. It holds the update session record and runs
// the connection driver, the patch engine and the game launch; each concern lives in
// its own source file (net/win, patch/win, ui).
#include "app/PatchSession.h"
#include "framework/Dialog.h"
#include "net/FrameHandler.h"
#include "net/PatchServerFrame.h"
#include "ui/LinkLabel.h"

// Socket events of the connect socket (WSAAsyncSelect): lParam holds the event in its
// low word and the error code in its high word; wParam is the socket.
#define WM_SOCKET_NOTIFY (WM_USER + 1000)
// One-shot timer that starts a connection attempt.
enum { kConnectTimer = 1, kConnectDelayMs = 100, kFailureShowMs = 500 };

class CUpdateDlg : public CDialog, public FrameHandler {
public:
    CUpdateDlg();
    ~CUpdateDlg() override;

    PatchSession& Session() { return m_session; }

    BOOL OnInitDialog() override;

    // Close button: stops a running patch, otherwise ends the launcher.
    void OnCloseButton();

    // Status line in its three styles (black on white, white on red, black on grey),
    // repainted at once; and one step of the message loop for long work.
    void ShowStatus(const char* text);
    void ShowStatusError(const char* text);
    void ShowStatusReady(const char* text);
    void PumpOneMessage();
    CLinkLabel& StatusLine() { return m_status; }

    // Connection driver: socket library, "zr.tmp", "Temp" and the first attempt.
    void StartNetwork();
    void OnTimer(UINT_PTR id);
    LRESULT OnSocketNotify(WPARAM wParam, LPARAM lParam);
    // Connect button while not ready: hide it and start a new attempt.
    void OnConnectButton();
    void EnterReady() override;
    void EnterIdle();
    void SendVersion() override;
    // Until the patch engine takes over, a patch-server reply is only recorded.
    int BeginPatch(const char* host, unsigned short port, const char* user,
                   const char* password, const char* catalogue) override;
    const PatchServerAddress& LastPatchRequest() const { return m_patchRequest; }
    int PatchRequestCount() const { return m_patchRequestCount; }

protected:
    BOOL PreTranslateMessage(MSG* msg) override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnClose();

    DECLARE_MESSAGE_MAP()

private:
    PatchSession m_session;
    HWND m_closeButton = nullptr;
    CLinkLabel m_status;
    CLinkLabel m_versionCounter;
    CLinkLabel m_fileCounter;
    PatchServerAddress m_patchRequest = {};
    int m_patchRequestCount = 0;

    void ConnectionFailed();
};
