// Downloads of one version's files: the listing of the version's FTP directory with
// names and sizes, and the transfer of one file into Temp in 2048-byte blocks with
// paced progress, a responsive window and the user's stop request.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <cstring>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "app/ShowMessage.h"
#include "framework/GdiObject.h"
#include "patch/RemoteFileLookup.h"
#include "patch/TransferPercent.h"
#include "patch/win/FtpJobs.h"
#include "patch/win/PatchEngine.h"

namespace {

enum { kBlockSize = 2048, kOpenAttempts = 100, kOpenRetryMs = 100 };


bool IsDotEntry(const char* name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

} // namespace

int PatchEngine::AddRemoteFile(const WIN32_FIND_DATAA& found)
{
    // Plain directories and the two dot entries are not files; an entry with more
    // attribute bits than the directory bit is taken as a file.
    if (found.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY || IsDotEntry(found.cFileName))
        return 1;
    // A name that does not fit a table entry could only be found cut, as the name
    // of another file: it is left out.
    size_t length = strnlen(found.cFileName, sizeof(found.cFileName));
    if (length >= sizeof(m_session.remoteFiles[0].name))
        return 1;
    if (m_session.remoteFileCount >= kMaxListedFiles)
        return 0;
    RemoteFileEntry& entry = m_session.remoteFiles[m_session.remoteFileCount];
    memcpy(entry.name, found.cFileName, length);
    entry.name[length] = '\0';
    // Files of 4 GiB or more would show a wrong low part: they count as absent.
    entry.size = found.nFileSizeHigh != 0 ? -1 : static_cast<int32_t>(found.nFileSizeLow);
    ++m_session.remoteFileCount;
    return 1;
}

void PatchEngine::ListRemoteFiles()
{
    m_session.remoteFileCount = 0;
    if (!m_session.ftpHandle)
        return;
    // Each step of the listing waits on the server: on the worker, bounded.
    JobRef<FtpFindJob> first(new FtpFindJob(static_cast<HINTERNET>(m_session.ftpHandle), nullptr));
    if (!CallFtp(*first) || !first->ok)
        return;
    HINTERNET search = first->opened;
    bool overflow = false;
    for (WIN32_FIND_DATAA found = first->found;;) {
        if (!AddRemoteFile(found)) {
            overflow = true;
            break;
        }
        JobRef<FtpFindJob> next(new FtpFindJob(nullptr, search));
        if (!CallFtp(*next)) {
            search = nullptr;  // closed with its session
            break;
        }
        if (!next->ok)
            break;
        found = next->found;
    }
    if (search)
        InternetCloseHandle(search);
    // Once per listing: a huge directory must not raise one box per extra file.
    if (overflow)
        ShowMessageF("%s", g_msg.Get(kMsgTooManyFiles));
}

const RemoteFileEntry* PatchEngine::FindRemoteFile(const char* name) const
{
    return FindListedFile(m_session.remoteFiles, m_session.remoteFileCount, name);
}

int PatchEngine::FindRemoteFileSize(const char* name) const
{
    const RemoteFileEntry* entry = FindRemoteFile(name);
    return !entry || entry->size < 0 ? -1 : entry->size;
}

int PatchEngine::DownloadFile(const char* localPath, const char* remoteName)
{
    const RemoteFileEntry* entry = FindRemoteFile(remoteName);
    if (!entry && strchr(remoteName, ' '))
        return DownloadUnlistedFile(localPath, remoteName);
    if (!entry || entry->size < 0)
        return 0;
    SetTransferRange();
    // The file is opened under its listed name: a list may write a name in another
    // letter case than a server with case-sensitive names stores it.
    char listedName[sizeof entry->name];
    memcpy(listedName, entry->name, sizeof listedName);
    return TransferFile(listedName, localPath, entry->size) ? 1 : 0;
}

int PatchEngine::DownloadUnlistedFile(const char* localPath, const char* remoteName)
{
    // Wine's listing cuts a name at its first blank, so such a file is missing from
    // the listing although the server has it: its size is asked for by name instead.
    // Only names with a blank that the listing lacks are asked for, one command each.
    int size = QueryRemoteSize(remoteName);
    if (size < 0)
        return 0;
    SetTransferRange();
    return TransferFile(remoteName, localPath, size) ? 1 : 0;
}

void PatchEngine::CloseRemoteFile()
{
    // The Close button's CloseFtp may have closed and forgotten the handle already.
    DropReadAhead();
    if (m_session.remoteFile) {
        InternetCloseHandle(static_cast<HINTERNET>(m_session.remoteFile));
        m_session.remoteFile = nullptr;
    }
}

void PatchEngine::DrainRemoteFile()
{
    // One more read sees the end of the data. A file closed before its end leaves the
    // transfer open on the control connection, and the next open fails until the
    // server has answered: about one retry pause per file.
    char rest[kBlockSize];
    DWORD got = 0;
    ReadFtpFile(m_session.remoteFile, rest, sizeof rest, got);
}

int PatchEngine::OpenRemoteFile(const char* remoteName)
{
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
        if (!m_session.ftpHandle)
            return 0;
        InternetHandle file = OpenFtpFile(remoteName);
        if (file) {
            m_session.remoteFile = file;
            return 1;
        }
        if (attempt < kOpenAttempts)
            Sleep(kOpenRetryMs);
    }
    return 0;
}

int PatchEngine::TransferFile(const char* remoteName, const char* localPath, int size)
{
    const int scale = m_session.listCompressed ? 50 : 100;
    if (size <= 0)
        return 0;
    // A stop that came before the transfer (between two list entries) holds.
    if (m_session.stopped)
        return 0;
    if (!OpenRemoteFile(remoteName)) {
        m_reporter.ShowStatus(g_msg.Get(kMsgServerBusy));
        return 0;
    }
    ScopedFile local(CreateFileA(localPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!local.IsValid()) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgCannotSave));
        CloseRemoteFile();
        return 0;
    }

    const uint32_t total = static_cast<uint32_t>(size);
    uint32_t received = 0;
    StartTransferProgress();
    char block[kBlockSize];
    for (;;) {
        DWORD got = 0;
        // A read given up (Close, or a frozen server) has closed the handles.
        if (!ReadFtpFile(m_session.remoteFile, block, kBlockSize, got) || got == 0)
            break;  // the server ended the file before its listed size
        DWORD written = 0;
        if (!WriteFile(local, block, got, &written, nullptr) || written != got)
            break;  // a full disk must not leave a short file that counts as fetched
        received += got;
        // At the redraw pace, which runs on across files: the start of each of many
        // small files is not drawn for its own sake, nor its end.
        ShowTransferProgress(TransferPercent(received, total, scale), kMsgDownloadingCaption,
                             TransferPercent(received, total, 100), received >= total);
        m_reporter.PumpOneMessage();

        // Completeness first: a stop handled during the last block does not undo a
        // complete file.
        if (received >= total) {
            local.Reset();
            DrainRemoteFile();
            CloseRemoteFile();
            return 1;
        }
        if (m_session.stopped)
            break;
    }
    CloseRemoteFile();
    local.Reset();
    DeleteFileA(localPath);
    return 0;
}
