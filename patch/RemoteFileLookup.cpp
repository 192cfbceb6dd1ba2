#include "patch/RemoteFileLookup.h"

#include <cstring>

namespace {

int AsciiLower(int c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

bool EqualIgnoringAsciiCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        if (AsciiLower(static_cast<unsigned char>(*a)) != AsciiLower(static_cast<unsigned char>(*b)))
            return false;
    }
    return *a == *b;
}

} // namespace

const RemoteFileEntry* FindListedFile(const RemoteFileEntry* entries, int count, const char* name)
{
    if (!entries || !name)
        return nullptr;
    for (int i = 0; i < count; ++i) {
        if (strcmp(entries[i].name, name) == 0)
            return &entries[i];
    }
    for (int i = 0; i < count; ++i) {
        if (EqualIgnoringAsciiCase(entries[i].name, name))
            return &entries[i];
    }
    return nullptr;
}
