#pragma once
// Signs what an engine test serves, as the patch builder does: a version's manifest
// and its signature, and the catalogue's signature, with the throw-away test key of
// tests/fixtures/keys or with another key.
#include <string>
#include <vector>

#include "patch/PublisherKeys.h"
#include "patch/Signature.h"

// One file entry of a version: its path as the list names it (with directory and
// suffix), its bytes as served and as installed.
struct ServedFile {
    std::string path;
    std::string served;
    std::string installed;
};

// The secret seed (64 hex digits) of the test key, and a second, unrelated seed.
std::string TestKeySeed();
std::string OtherKeySeed();
// The launcher's keys for the test key.
PublisherKeys TestPublisherKeys();

// The text of a signature file over `bytes` of the given kind.
std::string SignatureText(SignedKind kind, const std::string& bytes, const std::string& seedHex);

// The manifest text of a version whose list has the bytes `list`.
std::string ManifestText(const std::string& version, const std::string& list,
                         const std::vector<ServedFile>& files);
