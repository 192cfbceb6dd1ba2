#include "patch/Catalogue.h"

#include <cstring>

#include "patch/ListScanner.h"

int ParseCatalogueFile(const char* path, PatchSession& s)
{
    s.versionCount = 0;
    ListScanner scanner;
    if (!scanner.Open(path))
        return kCatalogueUnreadable;

    int count = 0;
    for (int token = scanner.ScanToken(); token != kTokenEnd; token = scanner.ScanToken()) {
        if (token != kTokenName)
            continue;
        if (strlen(scanner.tokenText) > kMaxVersionNameLength)
            return kCatalogueUnreadable;
        if (count == kMaxVersions - 1)
            return kCatalogueTooMany;

        VersionEntry& entry = s.versions[count];
        memset(entry.name, 0, sizeof(entry.name));
        memcpy(entry.name, scanner.tokenText, strlen(scanner.tokenText));
        VersionTriple v = ParseVersionText(scanner.tokenText);
        entry.major = v.major;
        entry.minor = v.minor;
        entry.patch = v.patch;
        entry.packed = PackVersion(v);
        ++count;
    }
    s.versionCount = count;
    return kCatalogueOk;
}
