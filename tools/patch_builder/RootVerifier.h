#pragma once
// Checks an FTP root as the launcher will read it: the catalogue, every version
// directory and its "list.inf", and every listed file.
#include <string>
#include <vector>

#include "patch/PublisherKeys.h"

// Checks one version directory; each problem is appended, prefixed with `label`.
void VerifyVersionDirectory(const std::string& directory, const std::string& label,
                            std::vector<std::string>& problems);

// Checks the whole root with the catalogue `catalogueName`. With keys the catalogue and
// every manifest must carry a signature by one of them; every manifest found is checked
// against its list and files either way.
void VerifyRoot(const std::string& root, const std::string& catalogueName,
                const PublisherKeys& keys, std::vector<std::string>& problems);
