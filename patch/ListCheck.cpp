#include "patch/ListCheck.h"

#include <cstdio>
#include <cstring>

#include "patch/ListReader.h"
#include "patch/PathCheck.h"

int CompressedSuffixOk(const char* name)
{
    size_t length = strlen(name);
    if (length <= kCompressedSuffixLength)
        return 0;
    const char* suffix = name + length - kCompressedSuffixLength;
    if (suffix[0] != '.')
        return 0;
    for (int i = 1; i < kCompressedSuffixLength; ++i) {
        if (suffix[i] == '.' || suffix[i] == '\\' || suffix[i] == '/')
            return 0;
    }
    // The name less its suffix must still name a file.
    char c = suffix[-1];
    return c != '\\' && c != '/' ? 1 : 0;
}

int JoinListPath(const char* directory, const char* name, char* out, size_t outSize)
{
    int n = directory[0] ? snprintf(out, outSize, "%s\\%s", directory, name)
                         : snprintf(out, outSize, "%s", name);
    if (n < 0 || static_cast<size_t>(n) >= outSize) {
        if (outSize)
            out[0] = '\0';
        return 0;
    }
    return 1;
}

int CheckListEntry(const char* directory, const char* name, int compressed)
{
    char relative[kListPathBytes];
    if (!JoinListPath(directory, name, relative, sizeof relative) || !IsSafeRelativePath(relative))
        return 0;
    if (!compressed)
        return 1;
    if (!CompressedSuffixOk(relative))
        return 0;
    relative[strlen(relative) - kCompressedSuffixLength] = '\0';
    return IsSafeRelativePath(relative);
}

int CheckFileList(const char* path, int compressed)
{
    ListReader reader;
    if (!reader.Open(path))
        return 0;
    char directory[kTokenTextSize] = "";
    for (;;) {
        switch (reader.Next()) {
        case kListEnd:
            return 1;
        case kListDirectory:
            if (reader.Cut() || !IsSafeRelativeDirectory(reader.Text()))
                return 0;
            snprintf(directory, sizeof directory, "%s", reader.Text());
            break;
        case kListFile:
            if (reader.Cut() || !CheckListEntry(directory, reader.Text(), compressed))
                return 0;
            break;
        default:
            break;
        }
    }
}
