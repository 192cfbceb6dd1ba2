// The engine's FTP calls that wait on the server: each runs on the worker thread
// while the window keeps working. A call given up (the Close button, or no answer
// within the stall bound) closes the session's handles, so the walk ends like after
// a dropped connection.
#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/GdiObject.h"
#include "patch/win/FtpJobs.h"
#include "patch/win/PatchEngine.h"

namespace {

// The catalogue and a version's list are small; more than this from the server is
// not a catalogue or a list, and must not fill the disk.
const DWORD kWholeFileLimit = 8u * 1024 * 1024;

HINTERNET Handle(InternetHandle handle)
{
    return static_cast<HINTERNET>(handle);
}

// The size in a "213 <digits>" reply to SIZE; -1 for any other reply.
int ParseSizeReply(const char* reply)
{
    if (strncmp(reply, "213 ", 4) != 0)
        return -1;
    const char* p = reply + 4;
    long long size = 0;
    int digits = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
        size = size * 10 + (*p - '0');
        if (size > 0x7fffffff)
            return -1;
    }
    while (*p == '\r' || *p == '\n' || *p == ' ')
        ++p;
    return digits > 0 && *p == '\0' ? static_cast<int>(size) : -1;
}

} // namespace

int PatchEngine::CallFtp(BlockingJob& job)
{
    if (m_calls.Call(job))
        return 1;
    CloseFtp();
    return 0;
}

InternetHandle PatchEngine::ConnectFtp(InternetHandle internet)
{
    JobRef<FtpConnectJob> job(new FtpConnectJob(Handle(internet), m_session.ftpHost, m_session.ftpPort,
                                                m_session.ftpUser, m_session.ftpPassword));
    return CallFtp(*job) ? job->result : nullptr;
}

InternetHandle PatchEngine::OpenFtpFile(const char* name)
{
    if (!m_session.ftpHandle)
        return nullptr;
    JobRef<FtpOpenFileJob> job(new FtpOpenFileJob(Handle(m_session.ftpHandle), name));
    return CallFtp(*job) ? job->result : nullptr;
}

int PatchEngine::ReadFtpFile(InternetHandle file, char* block, DWORD size, DWORD& got)
{
    // Hands out the blocks of one batch read on the worker, one request at a time,
    // then reads the next batch.
    got = 0;
    if (m_readAhead && m_readAhead->File() != Handle(file))
        DropReadAhead();
    for (;;) {
        if (!file)
            return 0;
        if (!m_readAhead) {
            FtpReadJob* job = new FtpReadJob(Handle(file));
            if (!CallFtp(*job)) {
                job->Release();
                return 0;
            }
            m_readAhead = job;
            m_readTaken = 0;
        }
        if (m_readTaken < m_readAhead->got) {
            DWORD left = m_readAhead->got - m_readTaken;
            got = left < size ? left : size;
            memcpy(block, m_readAhead->data + m_readTaken, got);
            m_readTaken += got;
            return 1;
        }
        const bool failed = m_readAhead->failed;
        const bool ended = m_readAhead->ended;
        DropReadAhead();
        if (failed)
            return 0;
        if (ended)
            return 1;  // the end of the data: got is 0
    }
}

void PatchEngine::DropReadAhead()
{
    if (m_readAhead)
        m_readAhead->Release();
    m_readAhead = nullptr;
    m_readTaken = 0;
}

int PatchEngine::SetFtpDirectory(const char* directory)
{
    if (!m_session.ftpHandle)
        return 0;
    JobRef<FtpDirectoryJob> job(new FtpDirectoryJob(Handle(m_session.ftpHandle), directory));
    return CallFtp(*job) && job->ok;
}

int PatchEngine::GetFtpDirectory(char* directory, size_t size)
{
    directory[0] = '\0';
    if (!m_session.ftpHandle)
        return 0;
    JobRef<FtpDirectoryJob> job(new FtpDirectoryJob(Handle(m_session.ftpHandle), nullptr));
    if (!CallFtp(*job) || !job->ok || strlen(job->directory) >= size)
        return 0;
    strcpy(directory, job->directory);
    return 1;
}

int PatchEngine::FetchSmallFile(const char* name, size_t maxBytes, std::string& bytes)
{
    // Block by block through the worker, so a frozen server is noticed like in a
    // transfer. One attempt: a missing file is an answer, not a busy server.
    bytes.clear();
    m_session.remoteFile = OpenFtpFile(name);
    if (!m_session.remoteFile)
        return 0;
    char block[FtpReadJob::kBlockSize];
    DWORD got = 0;
    bool ok = true;
    for (;;) {
        // A failed read, or a given-up one (which has closed the handles), fails:
        // a file cut short must not pass for the whole file.
        ok = ReadFtpFile(m_session.remoteFile, block, sizeof block, got) != 0;
        if (!ok || got == 0)
            break;
        bytes.append(block, got);
        ok = bytes.size() <= maxBytes;
        if (!ok)
            break;
    }
    CloseRemoteFile();
    return ok ? 1 : 0;
}

int PatchEngine::FetchWholeFile(const char* name, std::string& bytes)
{
    // Fetched under the same name into the current directory.
    DeleteFileA(name);
    if (!FetchSmallFile(name, kWholeFileLimit, bytes))
        return 0;
    bool ok = false;
    {
        ScopedFile local(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ok = local.IsValid() &&
             (bytes.empty() || WriteFile(local, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) &&
             written == bytes.size();
    }
    if (!ok)
        DeleteFileA(name);
    return ok ? 1 : 0;
}

int PatchEngine::QueryRemoteSize(const char* name)
{
    // Servers refuse SIZE in ASCII mode: the type is set to binary first.
    if (!m_session.ftpHandle || strlen(name) > 255)
        return -1;
    for (const char* p = name; *p; ++p) {
        if (static_cast<unsigned char>(*p) < 0x20)
            return -1;  // a line break would end the command early
    }
    JobRef<FtpCommandJob> type(new FtpCommandJob(Handle(m_session.ftpHandle), "TYPE I"));
    if (!CallFtp(*type) || !type->ok || !m_session.ftpHandle)
        return -1;
    char command[300];
    strcpy(command, "SIZE ");
    strcat(command, name);
    JobRef<FtpCommandJob> size(new FtpCommandJob(Handle(m_session.ftpHandle), command));
    if (!CallFtp(*size) || !size->ok)
        return -1;
    return ParseSizeReply(size->response);
}
