#include "patch/ManifestCheck.h"

#include <set>

int CheckManifestFits(const Manifest& manifest, const std::string& versionName,
                      uint64_t listSize, const Sha256Digest& listHash,
                      const std::vector<std::string>& listPaths, std::string& path)
{
    path.clear();
    if (manifest.version != versionName) {
        path = manifest.version;
        return kManifestOtherVersion;
    }
    if (manifest.listSize != listSize || manifest.listHash != listHash)
        return kManifestOtherList;
    std::set<std::string> seen;
    for (const std::string& listed : listPaths) {
        if (!manifest.Find(listed)) {
            path = listed;
            return kManifestMissesEntry;
        }
        if (!seen.insert(listed).second) {
            path = listed;
            return kManifestExtraEntry;
        }
    }
    for (const ManifestEntry& entry : manifest.entries) {
        if (!seen.count(entry.path)) {
            path = entry.path;
            return kManifestExtraEntry;
        }
    }
    return kManifestFits;
}

std::string DescribeManifestFit(int fit, const std::string& path)
{
    switch (fit) {
    case kManifestFits:
        return "the manifest fits the list";
    case kManifestOtherVersion:
        return "the manifest belongs to version \"" + path + "\"";
    case kManifestOtherList:
        return "list.inf is not the list the manifest was made from";
    case kManifestMissesEntry:
        return "\"" + path + "\" is listed but not in the manifest";
    default:
        return "\"" + path + "\" is in the manifest but not (only once) in the list";
    }
}

int CheckFileAgainstEntry(const ManifestEntry& entry, const char* path, bool served)
{
    Sha256Digest digest;
    uint64_t size = 0;
    if (!HashFileSha256(path, digest, size))
        return kFileUnreadable;
    uint64_t wantSize = served ? entry.servedSize : entry.installedSize;
    const Sha256Digest& wantHash = served ? entry.servedHash : entry.installedHash;
    return (size == wantSize && digest == wantHash) ? kFileMatches : kFileDiffers;
}
