// The main dialog's side of the patch engine: the engine reports through the
// dialog's status line, bars, counters and transfer caption; and the Connect
// button's game launch once the client is current.
#include <windows.h>
#include <commctrl.h>

#include "app/LaunchOptions.h"
#include "app/win/ClientConfig.h"
#include "patch/win/TransferCaption.h"
#include "ui/UpdateDlg.h"

CProgressCtrl& CUpdateDlg::Bar(PatchBar bar)
{
    return bar == kUpperBar ? m_progressFile : m_progressVersion;
}

void CUpdateDlg::SetBarRange(PatchBar bar, int high)
{
    HWND control = Bar(bar).m_hWnd;
    ::SendMessageW(control, PBM_SETRANGE, 0, MAKELPARAM(0, high));
    ::SendMessageW(control, PBM_SETSTEP, 1, 0);
}

void CUpdateDlg::SetBarPos(PatchBar bar, int pos)
{
    ::SendMessageW(Bar(bar).m_hWnd, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
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

void CUpdateDlg::EnterReady()
{
    m_driver->EnterReady();
}

void CUpdateDlg::OfferRetry()
{
    m_driver->OfferRetry();
}

void CUpdateDlg::CloseConnectSocket()
{
    m_driver->Close();
}

HWND CUpdateDlg::OwnerWindow()
{
    return m_hWnd;
}

void CUpdateDlg::LaunchGame()
{
    PlayClickSound();
    // Without "config.ini" the player sets the options first; the launch goes on
    // whichever button closed the dialog.
    if (!ConfigFileExists(m_session))
        RunOptionsDialog(false);
    const char* program = GameProgramName();
    if (g_launchOptions.runMode == kRunTest && !TestVersionMatches(m_session))
        program = TestProgramName();
    // In the ready state this closes both connections and posts the quit message;
    // the dialog ends when its loop next runs, after the program has been started.
    OnCloseButton();
    StartConnect(program, nullptr);
}
