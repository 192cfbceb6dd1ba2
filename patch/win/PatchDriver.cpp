// The version walk: every catalogue version newer than the installed one is fetched
// file by file into Temp (resuming from "patch.log"), installed, and stored.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>

#include "app/MessageIds.h"
#include "app/win/ClientConfig.h"
#include "app/Msg.h"
#include "framework/GdiObject.h"
#include "patch/ListCheck.h"
#include "patch/ListFile.h"
#include "patch/ListReader.h"
#include "patch/win/PatchEngine.h"

namespace {

enum { kPathBytes = kListPathBytes, kDownloadPathBytes = 324, kFtpDirBytes = 256 };

const char kTempDir[] = "Temp";

// Files whose presence marks a game directory that still holds data of an old layout.
const char* const kStrayMarkers[] = {".\\Dec2.dat", ".\\ring.OZJ", ".\\FontTest.OZT", ".\\Antidote01.bmd"};
const char kStraySweepArgs[] = "/c del /F *.dat *.bmd *.txt *.OZJ *.OZT *.wav *.att *.obj *.map";

bool FileExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Runs the command processor of the system directory (never one found first in the
// game directory) hidden, and waits for it.
void RunHiddenCommand(const char* arguments)
{
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system)
        return;
    char program[MAX_PATH + 16];
    char commandLine[MAX_PATH + 128];
    snprintf(program, sizeof program, "%s\\cmd.exe", system);
    snprintf(commandLine, sizeof commandLine, "\"%s\" %s", program, arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return;
    ScopedKernelHandle thread(process.hThread);
    ScopedKernelHandle child(process.hProcess);
    WaitForSingleObject(child, INFINITE);
}

} // namespace

void PatchEngine::SetCounter(PatchCounter counter, int labelText, int number, int total)
{
    char text[kPathBytes];
    snprintf(text, sizeof text, "%s%d/%d", g_msg.Get(labelText), number, total);
    m_reporter.SetCounterText(counter, text);
}

void PatchEngine::ShowListProgress(const ListProgress& progress, bool always)
{
    // Drawing costs more than fetching a small file: the file counter and the lower
    // bar follow at the redraw pace, and always show the last file and the end.
    if (!always && progress.fileNumber < progress.total && !m_filePacer.Due(GetTickCount()))
        return;
    SetCounter(kFileCounter, kMsgFilesCounter, progress.fileNumber, progress.total);
    m_reporter.SetBarPos(kLowerBar, progress.done);
}

void PatchEngine::SetTransferRange()
{
    if (m_transferRange)
        return;
    m_reporter.SetBarRange(kUpperBar, 100);
    m_transferRange = true;
}

int PatchEngine::AppendVersionLine()
{
    char version[32];
    FormatVersionPlain(UnpackVersion(m_session.targetPacked), version, sizeof version);
    return m_log.AppendLogLine('V', version);
}

int PatchEngine::StartVersionLog()
{
    m_log.Load();
    // A log left by another version would have its files installed with this one if
    // the list named no file: it is replaced before anything else happens.
    if (m_log.Exists() && m_log.LogIsStale(m_session.targetPacked) && !m_log.DeleteLog())
        return 0;
    return m_log.Exists() || AppendVersionLine() ? 1 : 0;
}

void PatchEngine::SweepStrayFiles()
{
    for (const char* marker : kStrayMarkers) {
        if (FileExists(marker)) {
            RunHiddenCommand(kStraySweepArgs);
            return;
        }
    }
}

int PatchEngine::WalkVersion(const VersionEntry& entry)
{
    m_session.targetPacked = entry.packed;
    m_verifier.Forget();   // a version passed over must not be checked by the last manifest
    // A log that cannot be written would lose the version's files: nothing is fetched.
    if (!StartVersionLog()) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgCannotSave));
        return kVersionFailed;
    }

    char savedDir[kFtpDirBytes] = "";
    GetFtpDirectory(savedDir, sizeof savedDir);

    DeleteFileA(kListFileName);
    int saveVersion = 1;
    int ok = PatchVersion(entry.name, saveVersion);
    DeleteFileA(kListFileName);
    if (!ok)
        return kVersionFailed;

    SetFtpDirectory(savedDir);
    // Check, install, store, then clean up: a kill before the store leaves the log and
    // every Temp copy for the next run to check and install again; a kill after it
    // leaves the log of the installed version, which the next run clears.
    if (!VerifyLoggedFiles() || !InstallLoggedFiles())
        return kVersionFailed;
    // Only now are the version's files in place: the version that the next
    // connection reports must never run ahead of the game directory.
    m_session.installedVersion.major = entry.major;
    m_session.installedVersion.minor = entry.minor;
    m_session.installedVersion.patch = entry.patch;
    if (m_options.runMode != kRunLocal && saveVersion == 1)
        StoreInstalledVersion(m_session, m_options);
    if (!CleanupLoggedFiles())
        return kVersionFailed;

    SweepStrayFiles();
    if (m_session.selfUpdatePending) {
        // The launcher ends here, with "config.ini" naming the files just installed.
        RestartAfterSelfUpdate();
        m_session.stopped = 1;
        return kVersionRestarted;
    }
    return kVersionInstalled;
}

int PatchEngine::RunPatch()
{
    const int count = m_session.versionCount;
    m_reporter.SetBarRange(kUpperBar, count);
    m_transferRange = false;
    m_heldTransfer.pending = false;  // an end held by an earlier, failed walk is stale
    for (int i = 1; i <= count; ++i) {
        // A stop between two versions (during the install, which pumps) ends the walk.
        if (m_session.stopped)
            return 0;
        const VersionEntry& entry = m_session.versions[i - 1];
        m_session.installedPacked = PackVersion(m_session.installedVersion);
        SetCounter(kVersionCounter, kMsgVersionsCounter, i, count);
        if (entry.packed > m_session.installedPacked) {
            int result = WalkVersion(entry);
            if (result == kVersionFailed)
                return 0;
            if (result == kVersionRestarted)
                return 1;
        }
        m_reporter.SetBarPos(kUpperBar, i);
    }

    FinishLeftoverLog();
    // Also after an empty catalogue: the client is current, so the walk reports
    // ready and closes the connection exactly as after a walk.
    m_reporter.ShowStatus(g_msg.Get(kMsgUpdateComplete));
    m_reporter.SetBarRange(kUpperBar, count);
    m_transferRange = false;
    SetCounter(kVersionCounter, kMsgVersionsCounter, count, count);
    m_reporter.DrawTransferCaption(g_msg.Get(kMsgCompleteCaption));
    CloseHandles();
    m_session.stopped = 1;
    m_reporter.EnterReady();
    return 1;
}

int PatchEngine::ReadListFlags(int& testServer)
{
    testServer = ListHasTag(kListFileName, kTagTestServer);
    if (testServer < 0) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgCatalogueUnreadable));
        testServer = 0;
    }
    int compressed = ListHasTag(kListFileName, kTagCompressed);
    if (compressed < 0) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgCatalogueUnreadable));
        compressed = 0;
    }
    return compressed;
}

int PatchEngine::PatchVersion(const char* directory, int& saveVersion)
{
    if (!SetFtpDirectory(directory)) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgNoVersionDirectory));
        return 0;
    }
    if (!FetchFileList())
        return 0;

    int testServer = 0;
    int compressed = ReadListFlags(testServer);
    if (m_options.runMode == kRunRelease) {
        saveVersion = testServer ? 0 : 1;
        if (testServer)
            return 1;  // passed over: nothing fetched, the walk goes on past it
    }
    m_session.listKind = testServer ? 2 : 1;
    m_session.listCompressed = compressed;
    m_session.resumeFromLog = m_log.Exists();

    m_reporter.ShowStatus(g_msg.Get(kMsgReadingList));
    int total = CountListFiles(kListFileName);
    if (total < 0) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgListUnreadable));
        total = 0;
    }
    m_reporter.SetCounterText(kFileCounter, "");

    // Every name of the list must stay inside the game directory before any of it
    // is created, fetched or installed.
    if (!CheckFileList(kListFileName, compressed)) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgUpdateFailed));
        return 0;
    }

    ListRemoteFiles();
    if (m_session.stopped)
        return 0;  // stopped while the listing's message box was up
    // The manifest must vouch for the list before any of its files is fetched.
    if (!LoadVersionManifest(directory))
        return 0;
    m_reporter.SetBarRange(kLowerBar, total);

    ListReader reader;
    if (!reader.Open(kListFileName)) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgListUnreadable));
        return 0;
    }
    m_reporter.ShowStatus(g_msg.Get(kMsgDownloadingFiles));
    ListProgress progress = {1, 0, total};
    char currentDir[kPathBytes] = "";
    for (int item = reader.Next(); item != kListEnd; item = reader.Next()) {
        if (item == kListDirectory) {
            if (!SwitchDirectory(reader.Text(), reader.Cut(), currentDir, sizeof currentDir))
                return FailVersion(kMsgUpdateFailed);
        } else if (item == kListFile) {
            int result = reader.Cut() ? kEntryFailed : FetchListEntry(reader.Text(), currentDir, progress);
            if (result == kEntryDamaged)
                return 0;  // the damaged-file text is up
            if (result == kEntryFailed)
                return FailVersion(kMsgUpdateFailed);
            if (result == kEntryLogFailed)
                return FailVersion(kMsgCannotSave);
            if (result == kEntrySkipped)
                continue;
        }
        m_reporter.PumpOneMessage();
        if (m_session.stopped)
            return 0;  // the Close button has shown the idle state already
    }
    // The end of the list: the last transfer's end, the last file's number and every
    // file done.
    ShowHeldTransferProgress();
    if (progress.fileNumber > 1) {
        ListProgress last = {progress.fileNumber - 1, progress.done, progress.total};
        ShowListProgress(last, true);
    }
    return 1;
}

int PatchEngine::FailVersion(int text)
{
    // After the Close button the idle state it showed stays; any other failure is
    // reported.
    if (!m_session.stopped)
        m_reporter.ShowStatusError(g_msg.Get(text));
    return 0;
}

int PatchEngine::SwitchDirectory(const char* text, int cut, char* currentDir, size_t size)
{
    // The directory as Windows opens it ("data\" is "data", "data.\\maps" is
    // "data\maps") from here on, for Temp, the log and the install alike.
    if (cut || !ListDirectory(text, currentDir, size))
        return 0;
    if (!currentDir[0])
        return 1;  // the game directory itself
    char tempDir[kDownloadPathBytes];
    snprintf(tempDir, sizeof tempDir, "%s\\%s", kTempDir, currentDir);
    // One level each; an existing directory is fine.
    CreateDirectoryA(currentDir, nullptr);
    CreateDirectoryA(tempDir, nullptr);
    return 1;
}

int PatchEngine::ResumeEntry(const char* logName)
{
    if (!m_log.LogIsStale(m_session.targetPacked))
        return m_log.LogHasFile(logName) ? kEntrySkipped : kEntryFetched;
    // A stale log that stays would have its files installed with this version.
    if (!m_log.DeleteLog())
        return kEntryLogFailed;
    m_session.resumeFromLog = 0;
    return AppendVersionLine() ? kEntryFetched : kEntryLogFailed;
}

int PatchEngine::FetchListEntry(const char* name, const char* currentDir, ListProgress& progress)
{
    const int compressed = m_session.listCompressed;
    if (!CheckListEntry(currentDir, name, compressed))
        return kEntryFailed;
    // The local path is the normalised one; the server is asked for the listed name.
    char relative[kPathBytes];
    BuildListPath(currentDir, name, relative, sizeof relative);
    char downloadPath[kDownloadPathBytes];
    snprintf(downloadPath, sizeof downloadPath, "%s\\%s", kTempDir, relative);
    // In a compressed list the file is logged and installed without its suffix.
    char logName[kPathBytes];
    snprintf(logName, sizeof logName, "%s", relative);
    if (compressed)
        logName[strlen(logName) - kCompressedSuffixLength] = '\0';

    ShowListProgress(progress, false);
    if (m_session.resumeFromLog) {
        int resumed = ResumeEntry(logName);
        if (resumed == kEntryLogFailed)
            return kEntryLogFailed;
        // A logged file whose Temp copy is gone or bad is fetched again.
        if (resumed == kEntrySkipped && LoggedCopyUsable(relative, logName)) {
            ++progress.done;
            ++progress.fileNumber;
            return kEntrySkipped;
        }
    }

    int fetched = FetchChecked(name, relative, downloadPath, logName);
    if (fetched != kEntryFetched)
        return fetched;
    // A file the log does not name would never be installed: the version ends here.
    // A file fetched again is logged already and stays logged once.
    if (!m_log.LogHasFile(logName) && !m_log.AppendLogLine('F', logName))
        return kEntryLogFailed;
    ++progress.done;
    ++progress.fileNumber;
    return kEntryFetched;
}
