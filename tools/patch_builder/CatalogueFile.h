#pragma once
// The version catalogue in the FTP root: one quoted version directory name per line,
// oldest first, read with the launcher's own CatalogueReader.
#include <string>
#include <vector>

#include "app/VersionTriple.h"

struct CatalogueVersion {
    std::string name;        // version directory name as listed
    PackedVersion packed;    // the version the launcher reads from the name
};

// Reads every version of the catalogue. Returns 0 when the file cannot be opened or a
// name does not fit the scanner (then `error` is set).
int ReadCatalogue(const std::string& path, std::vector<CatalogueVersion>& versions,
                  std::string& error);

// The catalogue text with `name` appended as a new quoted line. An empty `existing`
// (no catalogue yet) starts with a comment header.
std::string AppendToCatalogueText(const std::string& existing, const std::string& name);

// "%d.%d.%d" of a packed version.
std::string PackedVersionText(PackedVersion packed);
