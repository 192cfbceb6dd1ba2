#include "app/ClientConfig.h"

#include <cstdio>
#include <cstring>

void LocateConfigFile(const char* dir, char* out, size_t outSize)
{
    size_t len = strlen(dir);
    const char* sep = (len > 0 && dir[len - 1] == '\\') ? "" : "\\";
    snprintf(out, outSize, "%s%s%s", dir, sep, "config.ini");
}

VersionTriple ChooseTestModeVersion(const VersionTriple& release, const VersionTriple& test)
{
    long releaseWeight = release.major * 65535L + release.minor * 256L + release.patch;
    long testWeight = test.major * 65535L + test.minor * 256L + test.patch;
    return releaseWeight > testWeight ? release : test;
}
