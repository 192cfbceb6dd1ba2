#pragma once
// The server's log: one line per client, and a few lines about the server itself,
// each starting with a UTC time stamp. Lines are buffered and written out by Flush.
#include <cstdio>
#include <string>

class ClientLog {
public:
    ClientLog() = default;
    ~ClientLog();
    ClientLog(const ClientLog&) = delete;
    ClientLog& operator=(const ClientLog&) = delete;

    // Appends to `path`, or writes to stderr when `path` is empty; 1 or 0.
    int Open(const std::string& path, std::string& error);
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Flush();

private:
    FILE* stream_ = nullptr;
    bool owned_ = false;
};
