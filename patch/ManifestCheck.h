#pragma once
// Whether a version's manifest fits the version the launcher is about to walk: it names
// that version, it was made from exactly the "list.inf" that was fetched, and it holds
// one entry for every file entry of the list and no other. Pure: the caller fetches and
// hashes the list and verifies the manifest's signature first.
#include <string>
#include <vector>

#include "patch/Manifest.h"

enum ManifestFit {
    kManifestFits = 0,
    kManifestOtherVersion,   // names another version (replayed from another directory)
    kManifestOtherList,      // the list's size or SHA-256 differ from what was signed
    kManifestMissesEntry,    // the list names a file the manifest does not
    kManifestExtraEntry,     // the manifest names a file the list does not (or twice in the list)
};

// `listPaths` as CollectListPaths gives them. `path` names the first offending entry.
int CheckManifestFits(const Manifest& manifest, const std::string& versionName,
                      uint64_t listSize, const Sha256Digest& listHash,
                      const std::vector<std::string>& listPaths, std::string& path);

// A one-line English description of a ManifestFit, for logs and the tools.
std::string DescribeManifestFit(int fit, const std::string& path);

enum FileCheck {
    kFileMatches = 1,
    kFileDiffers = 0,      // size or SHA-256 differ from the manifest: damaged or forged
    kFileUnreadable = -1,
};

// Hashes the file at `path` and compares it with the entry's installed form (`served`
// false: the file after expansion) or its served form (`served` true).
int CheckFileAgainstEntry(const ManifestEntry& entry, const char* path, bool served);
