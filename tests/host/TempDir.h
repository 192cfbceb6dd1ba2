#pragma once
// A fresh directory under /tmp for one test, and its removal with the files in it.
#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

// Creates /tmp/<prefix>_XXXXXX; empty on failure.
inline std::string MakeTempDir(const char* prefix)
{
    std::string pattern = std::string("/tmp/") + prefix + "_XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : std::string();
}

// Removes the files of the directory and the directory itself (one level deep).
inline void RemoveTempDir(const std::string& dir)
{
    if (dir.empty())
        return;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
                unlink((dir + "/" + e->d_name).c_str());
        }
        closedir(d);
    }
    rmdir(dir.c_str());
}

// Writes the bytes as the whole file at path; true when all of them were written.
inline bool WriteTempFile(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && written;
}
