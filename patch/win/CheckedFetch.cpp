// Fetching one list entry into Temp with its check: the download, the expansion of a
// compressed list's file, and the comparison with the version's manifest, with one
// more fetch of a file that does not match.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "patch/win/PatchEngine.h"

namespace {

enum { kDownloadPathBytes = 324 };

const char kTempDir[] = "Temp";

} // namespace

int PatchEngine::FetchIntoTemp(const char* name, const char* downloadPath)
{
    if (!DownloadFile(downloadPath, name))
        return kFetchFailed;
    if (m_session.listCompressed) {
        // The directory part of the download path, with its trailing backslash.
        char directory[kDownloadPathBytes];
        snprintf(directory, sizeof directory, "%s", downloadPath);
        char* end = directory + strlen(directory);
        while (end > directory && end[-1] != '\\' && end[-1] != '/')
            --end;
        *end = '\0';
        if (!DecompressFile(downloadPath, directory))
            return kFetchNotExpanded;  // the compressed download stays in Temp
        DeleteFileA(downloadPath);
    }
    return kFetchDone;
}

int PatchEngine::FetchChecked(const char* name, const char* relative, const char* downloadPath,
                              const char* logName)
{
    // A file that does not match its manifest entry is deleted and fetched once more:
    // one damaged transfer is forgiven, a second ends the version.
    for (int attempt = 1;; ++attempt) {
        int fetched = FetchIntoTemp(name, downloadPath);
        if (fetched == kFetchFailed)
            return kEntryFailed;
        if (fetched == kFetchNotExpanded) {
            // Without a manifest a broken stream is just a failed update; with one it
            // is a served file that differs from what was signed.
            if (!m_verifier.HasManifest() || m_session.stopped)
                return kEntryFailed;
            DeleteFileA(downloadPath);
        } else if (CheckInstalledForm(relative, logName)) {
            return kEntryFetched;
        }
        char installed[kDownloadPathBytes];
        snprintf(installed, sizeof installed, "%s\\%s", kTempDir, logName);
        DeleteFileA(installed);
        if (m_session.stopped)
            return kEntryFailed;  // the idle state of the Close button stays
        if (attempt == 2) {
            m_reporter.ShowStatusError(g_msg.Get(kMsgDamagedFile));
            return kEntryDamaged;
        }
    }
}
