#pragma once
// Support of the FTP engine tests: the real FTP test server (tests/fixtures/
// ftp_server.py, run natively by Wine's process creation of Unix programs, on
// 127.0.0.1) with its own root directory, bzip2 data, and paths into the source
// tree.
#include <windows.h>

#include <string>
#include <vector>

// "Z:" + the Unix path of a file of the source tree, relative to its root.
std::string SourceFile(const char* relative);
// The directory of the running test executable (where the Windows fixtures are built).
std::string ExecutableDir();

// bzip2-compressed form of data.
std::string Bzip2(const std::string& data);

// Writes bytes to a Windows path, creating the missing directories on the way.
void WriteFileAt(const std::string& path, const std::string& bytes);

class FtpTestServer {
public:
    struct Transfer {
        std::string file;      // relative to the root, with '/'
        long bytes;
        bool completed;
    };

    // Extra options of ftp_server.py, e.g. "--drop-file big.bin --drop-after 5000".
    explicit FtpTestServer(const std::string& options = "");
    ~FtpTestServer();
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    bool Running() const { return m_port != 0; }
    unsigned short Port() const { return m_port; }
    // Windows path of the served root.
    const std::string& Root() const { return m_root; }
    // Writes a file below the root ('/' or '\\' separators).
    void Put(const std::string& relative, const std::string& bytes) const;
    void Remove(const std::string& relative) const;
    // Every RETR so far, in order.
    std::vector<Transfer> Transfers() const;
    std::vector<std::string> CompletedFiles() const;

private:
    std::string m_dir;
    std::string m_root;
    unsigned short m_port = 0;
};
