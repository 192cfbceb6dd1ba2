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

} // namespace

int PatchEngine::InstallLoggedFiles()
{
    PatchLogReader reader;
    if (!reader.Open(m_log.FileName()))
        return 0;
    std::string gameDir = CurrentDirectory();
    PatchLogLine line;
    while (reader.NextLine(&line)) {
        if (line.kind == 'F' && line.readable) {
            char source[MAX_PATH];
            char relativeTarget[MAX_PATH];
            char target[MAX_PATH];
            int self = 0;
            bool copied = BuildSourcePath(gameDir, line.text, source) &&
                          BuildInstallTarget(line.text, relativeTarget, sizeof relativeTarget,
                                             &self) &&
                          JoinGamePath(gameDir, relativeTarget, target) &&
                          CopyFileA(source, target, FALSE);
            if (!copied) {
                reader.Close();
                ShowInstallError(m_reporter.OwnerWindow(), SourcePathForMessage(gameDir, line.text));
                return 0;
            }
            if (self)
                m_session.selfUpdatePending = 1;
        }
        m_reporter.PumpOneMessage();
    }
    // A log that could not be read to its end may name files that were not installed.
    int complete = reader.ReadFailed() ? 0 : 1;
    reader.Close();
    return complete;
}

int PatchEngine::CleanupLoggedFiles()
{
    PatchLogReader reader;
    if (!reader.Open(m_log.FileName()))
        return 0;
    std::string gameDir = CurrentDirectory();
    PatchLogLine line;
    while (reader.NextLine(&line)) {
        if (line.kind == 'F' && line.readable) {
            char source[MAX_PATH];
            if (!BuildSourcePath(gameDir, line.text, source) || !DeleteFileA(source)) {
                // The remaining Temp files and the log stay; the next version finds
                // the log stale and starts a new one.
                reader.Close();
                return 1;
            }
        }
        m_reporter.PumpOneMessage();
    }
    bool complete = !reader.ReadFailed();
    reader.Close();
    if (complete)
        m_log.DeleteLog();
    return 1;
}
