#pragma once
// The FTP root's writer lock, taken by `build` and `sign`.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

// Holds an exclusive lock on the FTP root while a version is built, so two builders
// never publish into the same catalogue at once. The lock lives on the directory
// itself, so nothing is written to take it.
class RootLock {
public:
    ~RootLock()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    int Take(const std::string& root, std::string& error)
    {
        fd_ = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) {
            error = "cannot open the FTP root " + root + ": " + strerror(errno);
            return 0;
        }
        if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            error = "another zr-patch-builder is writing to " + root;
            return 0;
        }
        return 1;
    }

private:
    int fd_ = -1;
};
