#pragma once
// The patch engine: the FTP session, the version walk, downloads, bzip2 expansion,
// installation from the patch log and the self-update launch. It works on the
// session record and reports through a PatchReporter; the main dialog owns one and
// has the connection driver hand it the patch-server replies.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/LaunchOptions.h"
#include "app/PatchSession.h"
#include "net/FrameHandler.h"
#include "patch/Bz2Expander.h"
#include "patch/ListFile.h"
#include "patch/PatchLogIndex.h"
#include "patch/ProgressThrottle.h"
#include "patch/RedrawPacer.h"
#include "patch/UpdateVerifier.h"
#include "patch/win/BlockingCall.h"
#include "patch/win/PatchReporter.h"

class FtpReadJob;

class PatchEngine : public PatchReplyHandler {
public:
    PatchEngine(PatchSession& session, LaunchOptions& options, PatchReporter& reporter);
    ~PatchEngine() override;
    PatchEngine(const PatchEngine&) = delete;
    PatchEngine& operator=(const PatchEngine&) = delete;

    // FTP session (FtpSession.cpp). BeginPatch runs one session, then the one reply
    // that came in meanwhile, if any. After a failed session the reporter's
    // OfferRetry is called (not after the Close button stopped a walk); whatever the
    // outcome, stopped is 1 again when it returns. CloseFtp closes the handles and
    // drops a waiting reply.
    int BeginPatch(const char* host, unsigned short port, const char* user,
                   const char* password, const char* catalogueName) override;
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

    // The upper bar and caption of transfers and expansions (TransferProgress.cpp):
    // drawn at the redraw pace; a file's end between two redraws is held until
    // ShowHeldTransferProgress, which the end of a file list calls.
    void StartTransferProgress();
    void ShowTransferProgress(int barPos, int captionText, int percent, bool fileEnd);
    void ShowHeldTransferProgress();

    // Installation and log (Install.cpp). The log is "patch.log" of the current
    // directory; the driver goes through m_log for every question and change.
    int InstallLoggedFiles();
    // goneIsDeleted: a copy that is missing already counts as deleted (a clean-up
    // that was cut short is finished).
    int CleanupLoggedFiles(bool goneIsDeleted = false);
    // Deletes the log and Temp copies of the installed version, when a clean-up was cut.
    void FinishLeftoverLog();
    PatchLogIndex& Log() { return m_log; }

    // Bounded FTP calls that the repair run shares (BoundedFtp.cpp). FetchSmallFile
    // reads a whole remote file of at most maxBytes into memory; FetchWholeFile
    // fetches one of at most 8 MiB into `bytes` and writes it under its own name into
    // the current directory.
    int FetchSmallFile(const char* name, size_t maxBytes, std::string& bytes);
    int FetchWholeFile(const char* name, std::string& bytes);
    int SetFtpDirectory(const char* directory);
    int GetFtpDirectory(char* directory, size_t size);

    // Update checks (UpdateChecks.cpp): the catalogue's signature, the version's
    // manifest, and every logged file before the install.
    int CheckCatalogueSignature(const std::string& catalogue);
    int LoadVersionManifest(const char* directory);
    int VerifyLoggedFiles();

    // Self-update launch (GameLaunch.cpp).
    void RestartAfterSelfUpdate();
    // Set once RestartAfterSelfUpdate has run: the launcher is ending.
    bool Restarting() const { return m_restarting; }

    // A blocking FTP call that has not returned after this long is given up (tests
    // shorten it; the launcher keeps kStallBoundMs).
    void SetStallBoundMs(DWORD boundMs) { m_calls.SetBoundMs(boundMs); }
    // The pace of the upper bar and caption (tests lengthen it, so that each file's end
    // waits for the end of its list; the launcher keeps the default).
    void SetTransferPaceMs(uint32_t intervalMs) { m_transferPacer = RedrawPacer(intervalMs); }

    // The listing keeps at most this many files of a version directory.
    enum { kMaxListedFiles = 999 };

private:
    enum { kVersionFailed = 0, kVersionInstalled = 1, kVersionRestarted = 2 };
    enum { kEntryFailed = 0, kEntryFetched = 1, kEntrySkipped = 2, kEntryLogFailed = 3, kEntryDamaged = 4 };
    enum { kFetchFailed = 0, kFetchDone = 1, kFetchNotExpanded = 2 };
    struct ListProgress {
        int fileNumber;
        int done;
        int total;
    };

    // A patch-server reply: the account and the catalogue's name.
    struct SessionRequest {
        std::string host;
        unsigned short port = 0;
        std::string user;
        std::string password;
        std::string catalogue;
    };

    // Steps of a session (FtpSession.cpp).
    int RunSession(const SessionRequest& request);
    int OpenSession(const SessionRequest& request);
    void CloseHandles();

    // Steps of the walk (PatchDriver.cpp).
    int WalkVersion(const VersionEntry& entry);
    int StartVersionLog();
    int AppendVersionLine();
    int ResumeEntry(const char* logName);
    void SweepStrayFiles();
    int ReadListFlags(int& testServer);
    int FailVersion(int text);
    int SwitchDirectory(const char* text, int cut, char* currentDir, size_t size);
    int FetchListEntry(const char* name, const char* currentDir, ListProgress& progress);
    void SetCounter(PatchCounter counter, int labelText, int number, int total);
    void ShowListProgress(const ListProgress& progress, bool always);
    void SetTransferRange();
    void DrawTransferProgress(int barPos, int captionText, int percent);
    int FetchIntoTemp(const char* name, const char* downloadPath);
    int FetchChecked(const char* name, const char* relative, const char* downloadPath, const char* logName);

    // Steps of the update checks (UpdateChecks.cpp).
    void ShowVerifyFailure(int result);
    int CheckInstalledForm(const char* relative, const char* logName);
    int LoggedCopyUsable(const char* relative, const char* logName);

    // Steps of a download (Download.cpp).
    int AddRemoteFile(const WIN32_FIND_DATAA& found);
    const RemoteFileEntry* FindRemoteFile(const char* name) const;
    int DownloadUnlistedFile(const char* localPath, const char* remoteName);
    int OpenRemoteFile(const char* remoteName);
    void CloseRemoteFile();
    void DrainRemoteFile();

    // Bounded FTP calls (BoundedFtp.cpp): run on the worker thread; a call given up
    // closes the session's handles and fails.
    int CallFtp(BlockingJob& job);
    InternetHandle ConnectFtp(InternetHandle internet);
    InternetHandle OpenFtpFile(const char* name);
    int ReadFtpFile(InternetHandle file, char* block, DWORD size, DWORD& got);
    void DropReadAhead();
    int QueryRemoteSize(const char* name);

    PatchSession& m_session;
    LaunchOptions& m_options;
    PatchReporter& m_reporter;
    PatchLogIndex m_log;
    Bz2Expander m_expander;
    BlockingWorker m_calls;
    // The batch of blocks read ahead from the open remote file, and how much of it
    // the transfer has taken.
    FtpReadJob* m_readAhead = nullptr;
    DWORD m_readTaken = 0;
    // Paces the per-file counter and lower bar across the files of a list.
    RedrawPacer m_filePacer;
    // Paces the upper bar and the caption across every transfer and expansion, and
    // remembers what they show and the end of a file that waits for its redraw.
    RedrawPacer m_transferPacer;
    ProgressThrottle m_transferThrottle;
    struct HeldTransfer {
        int barPos;
        int captionText;
        int percent;
        bool pending;
    };
    HeldTransfer m_heldTransfer = {0, 0, 0, false};
    // Set while the upper bar has the transfers' range of 100.
    bool m_transferRange = false;
    UpdateVerifier m_verifier;
    bool m_restarting = false;
    // Set while BeginPatch runs (its walk pumps messages).
    bool m_busy = false;
    // A reply that came in while busy, run once the running session ends.
    SessionRequest m_queued;
    bool m_hasQueued = false;
};

// Game launch (GameLaunch.cpp).
// The two program names: the game program (8 characters) and the test program (12).
const char* GameProgramName();
const char* TestProgramName();
// WinExec with SW_SHOW; a failure is shown with text 131, 132 or 133. Returns the
// WinExec result.
UINT StartProgram(const char* commandLine);
// StartProgram with "program connect", followed by a space and arguments unless
// arguments is null; the command line is cut at 255 bytes.
UINT StartConnect(const char* program, const char* arguments);
// The catalogue text number for a WinExec result, or 0 when nothing is shown.
int StartFailureText(UINT winExecResult);
