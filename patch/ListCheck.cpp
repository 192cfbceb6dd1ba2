#include "patch/ListCheck.h"

#include <cstdio>
#include <cstring>

#include "patch/ListReader.h"
#include "patch/PathCheck.h"
#include "patch/PathNormalise.h"

namespace {

bool IsListSeparator(char c)
{
    return c == '\\' || c == '/';
}

} // namespace

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

int ListDirectory(const char* text, char* out, size_t outSize)
{
    return NormaliseListPath(text, out, outSize) && IsSafeRelativeDirectory(out) ? 1 : 0;
}

int BuildListPath(const char* directory, const char* name, char* out, size_t outSize)
{
    // A file's name must name a file below its directory: not empty, not the server's
    // root, not a directory.
    size_t length = strlen(name);
    bool fileName = length > 0 && !IsListSeparator(name[0]) && !IsListSeparator(name[length - 1]);
    char joined[kListPathBytes];
    if (!fileName || !JoinListPath(directory, name, joined, sizeof joined)) {
        if (outSize)
            out[0] = '\0';
        return 0;
    }
    return NormaliseListPath(joined, out, outSize);
}

int CheckListEntry(const char* directory, const char* name, int compressed)
{
    char relative[kListPathBytes];
    if (!BuildListPath(directory, name, relative, sizeof relative) || !IsSafeRelativePath(relative))
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
            if (reader.Cut() || !ListDirectory(reader.Text(), directory, sizeof directory))
                return 0;
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
