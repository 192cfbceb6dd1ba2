#pragma once
// A version's manifest "manifest.txt", written by the patch builder beside "list.inf"
// and signed by "manifest.txt.sig". Plain text, one record per line, each line ended by
// a line feed, fields separated by one blank:
//
//   zr-manifest 1
//   version NAME                           the version directory, as the catalogue names it
//   list SIZE SHA256                       the exact bytes of list.inf
//   file SIZE SHA256 SIZE SHA256 PATH      one per file entry of the list
//
// In a file line the first size and hash are of the file as served, the second of the
// file as installed (after expansion in a compressed list). PATH is the rest of the
// line: the entry's name as the list gives it, behind its directory and a backslash
// when the list switched to one ("data\a.bmd.bz2"). Sizes are decimal without leading
// zeros, hashes 64 lower-case hex digits. The parser takes the text as hostile: it
// refuses anything outside this grammar, sizes over the limits below and two entries
// whose paths differ only in letter case (they would install over each other).
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "patch/Sha256.h"

extern const char kManifestFileName[];   // "manifest.txt"

enum {
    kMaxManifestBytes = 1 << 20,
    kMaxManifestEntries = 999,
    kMaxManifestPathBytes = 259,
    kMaxManifestVersionChars = 8,
};

struct ManifestEntry {
    std::string path;
    uint64_t servedSize = 0;
    Sha256Digest servedHash{};
    uint64_t installedSize = 0;
    Sha256Digest installedHash{};
};

struct Manifest {
    std::string version;
    uint64_t listSize = 0;
    Sha256Digest listHash{};
    std::vector<ManifestEntry> entries;

    // The entry of `path` (exact bytes), or null.
    const ManifestEntry* Find(const std::string& path) const;

    std::map<std::string, size_t> index;   // path -> position in entries
};

// 1 with `manifest` filled, or 0 with a short reason in `error` ("line 4: ...").
int ParseManifest(const void* text, size_t size, Manifest& manifest, std::string& error);

// The manifest's text, as ParseManifest reads it back.
std::string FormatManifest(const Manifest& manifest);
