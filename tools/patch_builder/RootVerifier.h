#pragma once
// Checks an FTP root as the launcher will read it: the catalogue, every version
// directory and its "list.inf", and every listed file.
#include <string>
#include <vector>

// Checks one version directory; each problem is appended, prefixed with `label`.
void VerifyVersionDirectory(const std::string& directory, const std::string& label,
                            std::vector<std::string>& problems);

// Checks the whole root with the catalogue `catalogueName`.
void VerifyRoot(const std::string& root, const std::string& catalogueName,
                std::vector<std::string>& problems);
