#include "tools/connect_server/ClientLog.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <ctime>

ClientLog::~ClientLog()
{
    Flush();
    if (owned_ && stream_)
        fclose(stream_);
}

int ClientLog::Open(const std::string& path, std::string& error)
{
    if (path.empty()) {
        stream_ = stderr;
        return 1;
    }
    stream_ = fopen(path.c_str(), "a");
    if (!stream_) {
        error = "cannot open log file " + path + ": " + strerror(errno);
        return 0;
    }
    owned_ = true;
    return 1;
}

void ClientLog::Line(const char* format, ...)
{
    if (!stream_)
        return;
    time_t now = time(nullptr);
    struct tm utc;
    gmtime_r(&now, &utc);
    char stamp[32];
    strftime(stamp, sizeof(stamp), "%Y-%m-%dT%H:%M:%SZ", &utc);
    fprintf(stream_, "%s ", stamp);
    va_list args;
    va_start(args, format);
    vfprintf(stream_, format, args);
    va_end(args);
    fputc('\n', stream_);
}

void ClientLog::Flush()
{
    if (stream_)
        fflush(stream_);
}
