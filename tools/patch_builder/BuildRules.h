#pragma once
// Everything the patch builder checks before it writes a single byte: the version,
// its directory name, the compression suffix, and every shipped name against what
// the launcher can fetch and install. Each problem is one complete message.
#include <string>
#include <vector>

#include "app/VersionTriple.h"
#include "tools/patch_builder/CatalogueFile.h"
#include "tools/patch_builder/TreeDiff.h"

struct BuildOptions {
    std::string oldDir;
    std::string newDir;
    std::string root;
    std::string versionText;
    std::string dirName;         // empty: the version text
    std::string suffix;          // empty: not compressed
    bool testServer = false;
    std::string catalogueName = "version.cvd";
    std::string signKey;         // secret key file; empty: the version is not signed
};

// Strict "X.Y.Z", each part 0 to 255; 1 or 0.
int ParseStrictVersion(const std::string& text, VersionTriple& version);

// The version, directory name, suffix and catalogue name.
void CheckOptions(const BuildOptions& options, std::vector<std::string>& problems);

// Names, sizes and counts of what the version ships.
void CheckChanges(const TreeChanges& changes, const std::string& suffix,
                  std::vector<std::string>& problems);

// The new version against the catalogue already published, and the version
// directory against the FTP root.
void CheckAgainstRoot(const BuildOptions& options, const std::vector<CatalogueVersion>& published,
                      std::vector<std::string>& problems);

// Directory name that the options give (--dir, or the version text).
std::string VersionDirName(const BuildOptions& options);
