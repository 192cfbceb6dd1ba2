#include "patch/InstallName.h"

#include <cstdio>
#include <cstring>

#include "patch/PathCheck.h"

namespace {

const char kSelfName[] = "zr.exe";
const char kSelfTarget[] = "zr._xe";
const char kTempPrefix[] = "Temp\\";

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Writes text into out when it fits; otherwise leaves out empty and returns 0.
int CopyWhole(const char* first, const char* second, char* out, size_t outSize)
{
    if (!out || outSize == 0)
        return 0;
    int length = snprintf(out, outSize, "%s%s", first, second);
    if (length < 0 || static_cast<size_t>(length) >= outSize) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

} // namespace

int IsSelfUpdateName(const char* path)
{
    if (!path)
        return 0;
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    size_t i = 0;
    for (; kSelfName[i]; ++i) {
        if (AsciiLower(name[i]) != kSelfName[i])
            return 0;
    }
    return name[i] == '\0' ? 1 : 0;
}

int BuildInstallTarget(const char* path, char* out, size_t outSize, int* selfUpdate)
{
    if (selfUpdate)
        *selfUpdate = 0;
    if (out && outSize > 0)
        out[0] = '\0';
    if (!IsSafeRelativePath(path))
        return 0;
    int self = IsSelfUpdateName(path);
    if (!CopyWhole(self ? kSelfTarget : path, "", out, outSize))
        return 0;
    if (selfUpdate)
        *selfUpdate = self;
    return 1;
}

int BuildInstallSource(const char* path, char* out, size_t outSize)
{
    if (out && outSize > 0)
        out[0] = '\0';
    if (!IsSafeRelativePath(path))
        return 0;
    return CopyWhole(kTempPrefix, path, out, outSize);
}
