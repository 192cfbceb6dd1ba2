#pragma once
// The patch engine: the FTP session, the version walk, downloads, bzip2 expansion,
// installation from the patch log and the self-update launch. It works on the
// session record and reports through a PatchReporter; the main dialog owns one and
// hands it the patch-server replies.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/LaunchOptions.h"
#include "app/PatchSession.h"
#include "patch/Bz2Expander.h"
#include "patch/ListFile.h"
#include "patch/PatchLogIndex.h"
#include "patch/UpdateVerifier.h"
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
    // goneIsDeleted: a copy that is missing already counts as deleted (a clean-up
    // that was cut short is finished).
    int CleanupLoggedFiles(bool goneIsDeleted = false);
    // Deletes the log and Temp copies of the installed version, when a clean-up was cut.
    void FinishLeftoverLog();
    PatchLogIndex& Log() { return m_log; }

    // Update checks (UpdateChecks.cpp): the catalogue's signature, the version's
    // manifest, and every logged file before the install.
    int CheckCatalogueSignature();
    int LoadVersionManifest(const char* directory);
    int VerifyLoggedFiles();

    // Self-update launch (GameLaunch.cpp).
    void RestartAfterSelfUpdate();
    // Set once RestartAfterSelfUpdate has run: the launcher is ending.
    bool Restarting() const { return m_restarting; }

    // The listing keeps at most this many files of a version directory.
    enum { kMaxListedFiles = 999 };

private:
    enum { kVersionFailed = 0, kVersionInstalled = 1, kVersionRestarted = 2 };
    enum { kEntryFailed = 0, kEntryFetched = 1, kEntrySkipped = 2, kEntryDamaged = 3 };
    enum { kFetchFailed = 0, kFetchDone = 1, kFetchNotExpanded = 2 };
    struct ListProgress {
        int fileNumber;
        int done;
        int total;
    };

    // Steps of the walk (PatchDriver.cpp).
    int WalkVersion(const VersionEntry& entry);
    void StartVersionLog();
    void SweepStrayFiles();
    int ReadListFlags(int& testServer);
    int FailVersion();
    int SwitchDirectory(const char* text, int cut, char* currentDir, size_t size);
    int FetchListEntry(const char* name, const char* currentDir, ListProgress& progress);
    void SetCounter(PatchCounter counter, int labelText, int number, int total);
    int FetchIntoTemp(const char* name, const char* downloadPath);
    int FetchChecked(const char* name, const char* relative, const char* downloadPath, const char* logName);

    // Steps of the update checks (UpdateChecks.cpp).
    int FetchSmallFile(const char* remoteName, size_t maxBytes, std::string& out);
    void ShowVerifyFailure(int result);
    int CheckInstalledForm(const char* relative, const char* logName);
    int LoggedCopyUsable(const char* relative, const char* logName);

    // Steps of a download (Download.cpp).
    int AddRemoteFile(const WIN32_FIND_DATAA& found);
    const RemoteFileEntry* FindRemoteFile(const char* name) const;
    int OpenRemoteFile(const char* remoteName);
    void CloseRemoteFile();
    void DrainRemoteFile();

    PatchSession& m_session;
    LaunchOptions& m_options;
    PatchReporter& m_reporter;
    PatchLogIndex m_log;
    Bz2Expander m_expander;
    UpdateVerifier m_verifier;
    bool m_restarting = false;
    // Set while BeginPatch runs (its walk pumps messages).
    bool m_busy = false;
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
