// The main dialog's side of the patch engine: a patch-server reply starts the
// engine, which reports through the dialog's status line, bars, counters and
// transfer caption; and the Connect button's game launch once the client is current.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <cstdio>

#include "app/ClientConfig.h"
#include "app/LaunchOptions.h"
#include "net/win/ConnectSocket.h"
#include "patch/win/TransferCaption.h"
#include "ui/UpdateDlg.h"

namespace {

enum { kCommandLineBytes = 256 };

} // namespace

int CUpdateDlg::BeginPatch(const char* host, unsigned short port, const char* user,
                           const char* password, const char* catalogue)
{
    return m_engine->BeginPatch(host, port, user, password, catalogue);
}

void CUpdateDlg::SetBarRange(PatchBar bar, int high)
{
    HWND control = GetDlgItem(bar);
    ::SendMessageW(control, PBM_SETRANGE, 0, MAKELPARAM(0, high));
    ::SendMessageW(control, PBM_SETSTEP, 1, 0);
}

void CUpdateDlg::SetBarPos(PatchBar bar, int pos)
{
    ::SendMessageW(GetDlgItem(bar), PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void CUpdateDlg::SetCounterText(PatchCounter counter, const char* text)
{
    CLinkLabel& label = counter == kVersionCounter ? m_versionCounter : m_fileCounter;
    label.SetWindowText(text);
}

void CUpdateDlg::DrawTransferCaption(const char* text)
{
    ::DrawTransferCaption(m_hWnd, text);
}

void CUpdateDlg::CloseConnectSocket()
{
    g_connectSocket.Close();
}

HWND CUpdateDlg::OwnerWindow()
{
    return m_hWnd;
}

void CUpdateDlg::LaunchGame()
{
    sndPlaySoundA("data\\sound\\beep.wav", SND_ASYNC | SND_NODEFAULT);
    // Without "config.ini" the player sets the options first; the launch goes on
    // whichever button closed the dialog.
    if (!ConfigFileExists(m_session))
        OpenOptionsDialog();
    const char* program = GameProgramName();
    if (g_launchOptions.runMode == kRunTest && !TestVersionMatches(m_session))
        program = TestProgramName();
    char commandLine[kCommandLineBytes];
    snprintf(commandLine, sizeof commandLine, "%s connect", program);
    // In the ready state this closes both connections and posts the quit message;
    // the dialog ends when its loop next runs, after the program has been started.
    OnCloseButton();
    StartProgram(commandLine);
}
