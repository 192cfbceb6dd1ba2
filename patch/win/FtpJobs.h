#pragma once
// The blocking WinINet calls of a patch, one call per job, for BlockingWorker. Each
// job copies its arguments and keeps its results in itself; a handle that a call
// opens after it was given up is closed by the job.
#include <windows.h>
#include <wininet.h>

#include "patch/win/BlockingCall.h"

// InternetConnectA to an FTP server, passive mode.
class FtpConnectJob : public BlockingJob {
public:
    FtpConnectJob(HINTERNET internet, const char* host, INTERNET_PORT port, const char* user,
                  const char* password);
    void Run() override;
    void Discard() override;
    HINTERNET result = nullptr;

private:
    HINTERNET m_internet;
    char m_host[256];
    INTERNET_PORT m_port;
    char m_user[64];
    char m_password[64];
};

// FtpOpenFileA for reading, binary, never from a cache.
class FtpOpenFileJob : public BlockingJob {
public:
    FtpOpenFileJob(HINTERNET ftp, const char* name);
    void Run() override;
    void Discard() override;
    HINTERNET result = nullptr;

private:
    HINTERNET m_ftp;
    char m_name[260];
};

// InternetReadFile of kBlockSize bytes at a time until the job's buffer is full, the
// data ends or a read fails: one hand-over to the worker per batch of blocks, as
// each hand-over costs more than a read under Wine.
class FtpReadJob : public BlockingJob {
public:
    enum { kBlockSize = 2048, kBatchBytes = 8 * kBlockSize };
    explicit FtpReadJob(HINTERNET file) : m_file(file) {}
    void Run() override;
    HINTERNET File() const { return m_file; }
    DWORD got = 0;        // bytes in data
    bool ended = false;   // a read returned no data: the end of the file
    bool failed = false;  // a read failed after the got bytes
    char data[kBatchBytes];

private:
    HINTERNET m_file;
};

// FtpFindFirstFileA("*.*") when search is null, else InternetFindNextFileA.
class FtpFindJob : public BlockingJob {
public:
    FtpFindJob(HINTERNET ftp, HINTERNET search) : m_ftp(ftp), m_search(search) {}
    void Run() override;
    void Discard() override;
    HINTERNET opened = nullptr;  // the search a first call opened
    BOOL ok = FALSE;
    WIN32_FIND_DATAA found = {};

private:
    HINTERNET m_ftp;
    HINTERNET m_search;
};

// FtpSetCurrentDirectoryA (a directory given) or FtpGetCurrentDirectoryA (none).
class FtpDirectoryJob : public BlockingJob {
public:
    FtpDirectoryJob(HINTERNET ftp, const char* setTo);
    void Run() override;
    BOOL ok = FALSE;
    char directory[260];

private:
    HINTERNET m_ftp;
    bool m_set;
};

// FtpCommandA without a data connection, then the server's reply text, which
// WinINet keeps per thread and so is read on the worker.
class FtpCommandJob : public BlockingJob {
public:
    FtpCommandJob(HINTERNET ftp, const char* command);
    void Run() override;
    BOOL ok = FALSE;
    char response[512];

private:
    HINTERNET m_ftp;
    char m_command[300];
};
