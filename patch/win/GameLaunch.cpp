// Starting the game: the two program names, the start itself with its failure
// messages, and the restart after the launcher has installed a new copy of itself.
#include <windows.h>

#include <cstdio>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "framework/MessageBox.h"
#include "patch/win/PatchEngine.h"

namespace {

enum { kCommandLineBytes = 256 };

// Bare names, looked up by the system's search order from the game directory.
const char kGameProgram[] = "game.exe";
const char kTestProgram[] = "gametest.exe";

} // namespace

const char* GameProgramName()
{
    return kGameProgram;
}

const char* TestProgramName()
{
    return kTestProgram;
}

int StartFailureText(UINT winExecResult)
{
    switch (winExecResult) {
    case 0:
        return kMsgStartOutOfResources;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return kMsgStartProgramNotFound;
    case ERROR_BAD_FORMAT:
        return kMsgStartNotAProgram;
    default:
        return 0;
    }
}

UINT StartProgram(const char* commandLine)
{
    UINT result = WinExec(commandLine, SW_SHOW);
    int text = StartFailureText(result);
    if (text) {
        // The launcher has usually posted its quit message already; a message box
        // would take it and vanish unseen. Hold it back until the box is closed.
        MSG quit;
        BOOL quitPending = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        AfxMessageBox(g_msg.Get(text), MB_ICONERROR | MB_OK);
        if (quitPending)
            PostQuitMessage(static_cast<int>(quit.wParam));
    }
    return result;
}

void PatchEngine::RestartAfterSelfUpdate()
{
    m_restarting = true;
    m_reporter.CloseConnectSocket();
    CloseFtp();
    PostQuitMessage(0);
    StartConnect(GameProgramName(), m_options.passArgs);
}

UINT StartConnect(const char* program, const char* arguments)
{
    char commandLine[kCommandLineBytes];
    if (arguments)
        snprintf(commandLine, sizeof commandLine, "%s connect %s", program, arguments);
    else
        snprintf(commandLine, sizeof commandLine, "%s connect", program);
    return StartProgram(commandLine);
}
