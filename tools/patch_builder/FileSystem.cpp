#include "tools/patch_builder/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int Fail(std::string& error, const std::string& what, const std::string& path)
{
    error = what + " " + path + ": " + strerror(errno);
    return 0;
}

int WriteAll(int fd, const char* data, size_t length)
{
    while (length > 0) {
        ssize_t written = write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return 0;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    return 1;
}

} // namespace

std::string JoinPath(const std::string& a, const std::string& b)
{
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    return a.back() == '/' ? a + b : a + "/" + b;
}

bool PathExists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int CopyFileContents(const std::string& from, const std::string& to, std::string& error)
{
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return Fail(error, "cannot read", from);
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        close(in);
        return Fail(error, "cannot create", to);
    }
    std::vector<char> buffer(1 << 16);
    int ok = 1;
    for (;;) {
        ssize_t got = read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ok = Fail(error, "cannot read", from);
            break;
        }
        if (got == 0)
            break;
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(got))) {
            ok = Fail(error, "cannot write", to);
            break;
        }
    }
    if (ok && fsync(out) != 0)
        ok = Fail(error, "cannot flush", to);
    close(in);
    if (close(out) != 0 && ok)
        ok = Fail(error, "cannot write", to);
    return ok;
}

int SameFileContents(const std::string& a, const std::string& b, int& same, std::string& error)
{
    FILE* fa = fopen(a.c_str(), "rb");
    if (!fa)
        return Fail(error, "cannot read", a);
    FILE* fb = fopen(b.c_str(), "rb");
    if (!fb) {
        fclose(fa);
        return Fail(error, "cannot read", b);
    }
    std::vector<char> ba(1 << 16), bb(1 << 16);
    same = 1;
    int ok = 1;
    for (;;) {
        size_t ga = fread(ba.data(), 1, ba.size(), fa);
        size_t gb = fread(bb.data(), 1, bb.size(), fb);
        if (ferror(fa) || ferror(fb)) {
            ok = Fail(error, "cannot read", ferror(fa) ? a : b);
            break;
        }
        if (ga != gb || memcmp(ba.data(), bb.data(), ga) != 0) {
            same = 0;
            break;
        }
        if (ga == 0)
            break;
    }
    fclose(fa);
    fclose(fb);
    return ok;
}

int RemoveTree(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? 1 : 0;
    if (!S_ISDIR(info.st_mode))
        return unlink(path.c_str()) == 0 ? 1 : 0;
    DIR* dir = opendir(path.c_str());
    if (!dir)
        return 0;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    }
    closedir(dir);
    int ok = 1;
    for (const std::string& name : names)
        ok &= RemoveTree(JoinPath(path, name));
    return (rmdir(path.c_str()) == 0) ? ok : 0;
}

int ReadWholeFile(const std::string& path, std::string& text, std::string& error)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return Fail(error, "cannot read", path);
    text.clear();
    char buffer[8192];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, got);
    int ok = ferror(file) ? Fail(error, "cannot read", path) : 1;
    fclose(file);
    return ok;
}

int WriteFileAtomically(const std::string& path, const std::string& text, std::string& error)
{
    size_t slash = path.rfind('/');
    std::string dir = (slash == std::string::npos) ? "." : path.substr(0, slash);
    std::string pattern = JoinPath(dir, ".zr-write-XXXXXX");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        return Fail(error, "cannot create a temporary file in", dir);
    std::string temporary = name.data();
    int ok = WriteAll(fd, text.data(), text.size()) && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    if (!ok)
        Fail(error, "cannot write", temporary);
    if (close(fd) != 0 && ok)
        ok = Fail(error, "cannot write", temporary);
    if (ok && rename(temporary.c_str(), path.c_str()) != 0)
        ok = Fail(error, "cannot replace", path);
    if (!ok)
        unlink(temporary.c_str());
    else
        SyncDirectory(dir);
    return ok;
}

void SyncDirectory(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}
