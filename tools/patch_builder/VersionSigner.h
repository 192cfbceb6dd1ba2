#pragma once
// Signing of an FTP root: the manifest "manifest.txt" of each version directory with
// its signature "manifest.txt.sig", and the catalogue's signature "<catalogue>.sig".
// Every file is written through a temporary file and a rename.
#include <cstdio>
#include <string>

#include "patch/Manifest.h"
#include "tools/patch_builder/KeyFiles.h"

// The manifest of the version directory as it is now: the list's hash, and for every
// file entry its size and SHA-256 as stored and as installed (expanded when the list is
// compressed). 0 with `error` when the list or a listed file cannot be read or expanded.
int MakeManifest(const std::string& versionDir, const std::string& versionName,
                 Manifest& manifest, std::string& error);

// Writes the manifest and its signature into the version directory.
int SignVersionDirectory(const std::string& versionDir, const std::string& versionName,
                         const SecretKey& key, std::string& error);

// Writes "<catalogue>.sig" for the catalogue's current bytes.
int SignCatalogueFile(const std::string& cataloguePath, const SecretKey& key, std::string& error);

// Signs every version the catalogue lists, then the catalogue. A version that already has
// a manifest keeps it unless `resign` is set (after a key change, or when the operator
// rebuilt a version by hand). Prints one line per version to `out`.
int SignRoot(const std::string& root, const std::string& catalogueName, const SecretKey& key,
             bool resign, FILE* out, std::string& error);
