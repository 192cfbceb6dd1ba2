#include "patch/Catalogue.h"

#include <cstring>

#include "patch/CatalogueReader.h"

int ParseCatalogueFile(const char* path, PatchSession& s)
{
    s.versionCount = 0;
    CatalogueReader reader;
    if (!reader.Open(path))
        return kCatalogueUnreadable;

    int count = 0;
    while (reader.Next()) {
        size_t length = strlen(reader.Name());
        if (length > kMaxVersionNameLength)
            return kCatalogueUnreadable;
        if (count == kMaxVersions - 1)
            return kCatalogueTooMany;

        VersionEntry& entry = s.versions[count];
        memset(entry.name, 0, sizeof(entry.name));
        memcpy(entry.name, reader.Name(), length);
        VersionTriple v = reader.Version();
        entry.major = v.major;
        entry.minor = v.minor;
        entry.patch = v.patch;
        entry.packed = PackVersion(v);
        ++count;
    }
    s.versionCount = count;
    return kCatalogueOk;
}
