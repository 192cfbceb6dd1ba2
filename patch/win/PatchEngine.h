#pragma once
// The patch engine: the FTP session, the version walk, downloads, bzip2 expansion,
// installation from the patch log and the self-update launch. It works on the
// session record and reports through a PatchReporter; the main dialog owns one and
// hands it the patch-server replies.
#include <windows.h>

#include "app/LaunchOptions.h"
#include "app/PatchSession.h"
#include "patch/Bz2Expander.h"
#include "patch/PatchLogIndex.h"
#include "patch/win/PatchReporter.h"

class PatchEngine {
public:
    PatchEngine(PatchSession& session, LaunchOptions& options, PatchReporter& reporter);
    ~PatchEngine();
    PatchEngine(const PatchEngine&) = delete;
    PatchEngine& operator=(const PatchEngine&) = delete;

    // FTP session (FtpSession.cpp).
    int BeginPatch(const char* host, unsigned short port, const char* user,
                   const char* password, const char* catalogueName);
    int OpenFtp();
    int FetchCatalogue();
    void CloseFtp();
    int FetchFileList();

    // Version walk (PatchDriver.cpp).
    int RunPatch();
    int PatchVersion(const char* directory, int& saveVersion);

    // Downloads (Download.cpp).
    void ListRemoteFiles();
    int FindRemoteFileSize(const char* name) const;
    int DownloadFile(const char* localPath, const char* remoteName);
    int TransferFile(const char* remoteName, const char* localPath, int size);

    // Expansion (Decompress.cpp): expands source next to directory's directory part.
    int DecompressFile(const char* source, const char* directory);

    // Installation and log (Install.cpp). The log is "patch.log" of the current
    // directory; the driver goes through m_log for every question and change.
    int InstallLoggedFiles();
    int CleanupLoggedFiles();
    PatchLogIndex& Log() { return m_log; }

    // Self-update launch (GameLaunch.cpp).
    void RestartAfterSelfUpdate();
    // Set once RestartAfterSelfUpdate has run: the launcher is ending.
    bool Restarting() const { return m_restarting; }

private:
    PatchSession& m_session;
    LaunchOptions& m_options;
    PatchReporter& m_reporter;
    PatchLogIndex m_log;
    Bz2Expander m_expander;
    bool m_restarting = false;
};

// Game launch (GameLaunch.cpp).
// The two program names: the game program (8 characters) and the test program (12).
const char* GameProgramName();
const char* TestProgramName();
// WinExec with SW_SHOW; a failure is shown with text 131, 132 or 133. Returns the
// WinExec result.
UINT StartProgram(const char* commandLine);
// The catalogue text number for a WinExec result, or 0 when nothing is shown.
int StartFailureText(UINT winExecResult);
