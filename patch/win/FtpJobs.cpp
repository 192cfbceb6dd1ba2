#include "patch/win/FtpJobs.h"

#include <cstdio>

namespace {

const DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | FTP_TRANSFER_TYPE_BINARY;

template <size_t N>
void CopyText(char (&field)[N], const char* text)
{
    snprintf(field, N, "%s", text ? text : "");
}

void CloseIfOpen(HINTERNET& handle)
{
    if (handle) {
        InternetCloseHandle(handle);
        handle = nullptr;
    }
}

} // namespace

FtpConnectJob::FtpConnectJob(HINTERNET internet, const char* host, INTERNET_PORT port,
                             const char* user, const char* password)
    : m_internet(internet), m_port(port)
{
    CopyText(m_host, host);
    CopyText(m_user, user);
    CopyText(m_password, password);
}

void FtpConnectJob::Run()
{
    result = InternetConnectA(m_internet, m_host, m_port, m_user, m_password, INTERNET_SERVICE_FTP,
                              INTERNET_FLAG_PASSIVE, 0);
}

void FtpConnectJob::Discard()
{
    CloseIfOpen(result);
}

FtpOpenFileJob::FtpOpenFileJob(HINTERNET ftp, const char* name) : m_ftp(ftp)
{
    CopyText(m_name, name);
}

void FtpOpenFileJob::Run()
{
    result = FtpOpenFileA(m_ftp, m_name, GENERIC_READ, kOpenFlags, 0);
}

void FtpOpenFileJob::Discard()
{
    CloseIfOpen(result);
}

void FtpReadJob::Run()
{
    while (got + kBlockSize <= sizeof data && !GivenUp()) {
        DWORD read = 0;
        if (!InternetReadFile(m_file, data + got, kBlockSize, &read) || read > kBlockSize) {
            failed = true;
            return;
        }
        if (read == 0) {
            ended = true;
            return;
        }
        got += read;
    }
}

void FtpFindJob::Run()
{
    if (m_search) {
        ok = InternetFindNextFileA(m_search, &found);
        return;
    }
    opened = FtpFindFirstFileA(m_ftp, "*.*", &found, INTERNET_FLAG_RELOAD, 0);
    ok = opened != nullptr;
}

void FtpFindJob::Discard()
{
    CloseIfOpen(opened);
}

FtpDirectoryJob::FtpDirectoryJob(HINTERNET ftp, const char* setTo) : m_ftp(ftp), m_set(setTo != nullptr)
{
    CopyText(directory, setTo);
}

void FtpDirectoryJob::Run()
{
    if (m_set) {
        ok = FtpSetCurrentDirectoryA(m_ftp, directory);
        return;
    }
    DWORD length = sizeof directory;
    ok = FtpGetCurrentDirectoryA(m_ftp, directory, &length);
    if (!ok || length >= sizeof directory)
        directory[0] = '\0';
}

FtpCommandJob::FtpCommandJob(HINTERNET ftp, const char* command) : m_ftp(ftp)
{
    CopyText(m_command, command);
    response[0] = '\0';
}

void FtpCommandJob::Run()
{
    ok = FtpCommandA(m_ftp, FALSE, FTP_TRANSFER_TYPE_BINARY, m_command, 0, nullptr);
    DWORD error = 0;
    DWORD length = sizeof response;
    if (!InternetGetLastResponseInfoA(&error, response, &length) || length >= sizeof response)
        length = 0;
    response[length] = '\0';
}
