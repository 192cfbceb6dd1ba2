#pragma once
// The checks of signatures and hashes in an FTP root, as a launcher with the publisher's
// key makes them: the catalogue's signature, and for each version its manifest's
// signature, that the manifest names the version and fits its "list.inf", and every
// listed file's size and SHA-256 as served and as installed. Without a key a manifest
// that is present is still checked (as a keyless launcher uses it), and a missing one
// is no problem.
#include <string>
#include <vector>

#include "patch/PublisherKeys.h"

void VerifyCatalogueSignature(const std::string& cataloguePath, const PublisherKeys& keys,
                              std::vector<std::string>& problems);

// `label` starts each problem ("version \"1.0.1\"").
void VerifyVersionManifest(const std::string& versionDir, const std::string& versionName,
                           const std::string& label, const PublisherKeys& keys,
                           std::vector<std::string>& problems);
