// Installation of a fetched version: every file that "patch.log" names is copied from
// Temp into the game directory, then removed from Temp together with the log. The
// log is a file on disk; each path it holds passes the shared relative-path check
// before it is joined to the game directory, so no log can make the installer read,
// write or delete anything outside the game directory and its Temp.
#include <cstdio>
#include <string>

#include "app/AppTitle.h"
#include "framework/Text.h"
#include "patch/InstallName.h"
#include "patch/PatchLog.h"
#include "patch/win/PatchEngine.h"

namespace {

const wchar_t kInstallErrorText[] = L"Patch Install Error, File : ";

// The process's current directory (the game directory), however long.
std::string CurrentDirectory()
{
    char small[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof small, small);
    if (length > 0 && length < sizeof small)
        return small;
    if (length == 0)
        return std::string();
    std::string large(length, '\0');
    DWORD written = GetCurrentDirectoryA(length, &large[0]);
    large.resize(written < length ? written : 0);
    return large;
}

// "%s\\%s" of the game directory and a relative path, into a 260-byte buffer. 1 when
// it fits; a path that does not fit is refused, never cut.
int JoinGamePath(const std::string& gameDir, const char* relative, char (&out)[MAX_PATH])
{
    out[0] = '\0';
    if (gameDir.empty())
        return 0;
    int length = snprintf(out, sizeof out, "%s\\%s", gameDir.c_str(), relative);
    if (length < 0 || static_cast<size_t>(length) >= sizeof out) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

// Where a logged file waits: the game directory, "Temp" and the logged path. 0 when
// the path is unsafe or too long.
int BuildSourcePath(const std::string& gameDir, const char* logged, char (&out)[MAX_PATH])
{
    char relative[MAX_PATH];
    out[0] = '\0';
    return BuildInstallSource(logged, relative, sizeof relative) &&
           JoinGamePath(gameDir, relative, out);
}

// The source path as the error message names it, built without a length limit so
// that an unsafe or overlong path is shown as it was logged.
std::string SourcePathForMessage(const std::string& gameDir, const char* logged)
{
    return gameDir + "\\Temp\\" + logged;
}

// The install error: the source path (an ANSI file name) in a message box owned by
// the window, OK only.
void ShowInstallError(HWND owner, const std::string& sourcePath)
{
    std::wstring text = kInstallErrorText;
    text += AnsiToWide(sourcePath.c_str());
    if (owner && !IsWindow(owner))
        owner = nullptr;
    MessageBoxW(owner, text.c_str(), kAppTitleWide, MB_OK);
}

enum LogPass { kLogUnreadable, kLogComplete, kLogCut, kLogStopped };

// Calls visit(line text) for every readable file line of the log, pumping one message
// after each line. A visit that returns 0 stops the pass, which then reports
// kLogStopped; otherwise kLogComplete, or kLogCut when the log could not be read to
// its end; kLogUnreadable when it cannot be opened.
template <typename Visit>
LogPass ForEachLoggedFile(const char* logName, PatchReporter& reporter, Visit visit)
{
    PatchLogReader reader;
    if (!reader.Open(logName))
        return kLogUnreadable;
    PatchLogLine line;
    while (reader.NextLine(&line)) {
        if (line.kind == 'F' && line.readable && !visit(line.text))
            return kLogStopped;
        reporter.PumpOneMessage();
    }
    return reader.ReadFailed() ? kLogCut : kLogComplete;
}

} // namespace

int PatchEngine::InstallLoggedFiles()
{
    std::string gameDir = CurrentDirectory();
    std::string failed;
    LogPass pass = ForEachLoggedFile(m_log.FileName(), m_reporter, [&](const char* logged) {
        char source[MAX_PATH];
        char relativeTarget[MAX_PATH];
        char target[MAX_PATH];
        int self = 0;
        bool copied = BuildSourcePath(gameDir, logged, source) &&
                      BuildInstallTarget(logged, relativeTarget, sizeof relativeTarget, &self) &&
                      JoinGamePath(gameDir, relativeTarget, target) &&
                      CopyFileA(source, target, FALSE);
        if (!copied) {
            failed = SourcePathForMessage(gameDir, logged);
            return 0;
        }
        if (self)
            m_session.selfUpdatePending = 1;
        return 1;
    });
    if (pass == kLogStopped)
        ShowInstallError(m_reporter.OwnerWindow(), failed);
    // A log that could not be read to its end may name files that were not installed.
    return pass == kLogComplete ? 1 : 0;
}

int PatchEngine::CleanupLoggedFiles(bool goneIsDeleted)
{
    std::string gameDir = CurrentDirectory();
    LogPass pass = ForEachLoggedFile(m_log.FileName(), m_reporter, [&](const char* logged) {
        char source[MAX_PATH];
        if (!BuildSourcePath(gameDir, logged, source))
            return 0;
        return DeleteFileA(source) || (goneIsDeleted && GetFileAttributesA(source) == INVALID_FILE_ATTRIBUTES)
                   ? 1
                   : 0;
    });
    if (pass == kLogUnreadable)
        return 0;
    // After a failed delete the remaining Temp files and the log stay; the next
    // version finds the log stale and starts a new one.
    if (pass == kLogComplete)
        m_log.DeleteLog();
    return 1;
}

void PatchEngine::FinishLeftoverLog()
{
    // A kill during the clean-up of a stored version leaves its log and some Temp
    // copies; once that version is the installed one they are only clutter.
    m_log.Load();
    if (m_log.Exists() && !m_log.LogIsStale(PackVersion(m_session.installedVersion)))
        CleanupLoggedFiles(true);
}
