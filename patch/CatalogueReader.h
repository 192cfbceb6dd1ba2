#pragma once
// The one reader of the version catalogue, shared by the launcher and the patch
// builder. Only name tokens count (a version must be quoted, since 1.02.05 unquoted
// scans as a number); every other token is passed over. Each name is one version, in
// the order the versions are installed.
#include "app/VersionTriple.h"
#include "patch/ListScanner.h"

class CatalogueReader {
public:
    // Opens the catalogue, closing any opened before; 1 or 0.
    int Open(const char* path) { return m_scanner.Open(path); }
    // Moves to the next version: 1, or 0 at the end of the catalogue.
    int Next();

    // The version's name as listed: its directory on the patch server.
    const char* Name() const { return m_scanner.tokenText; }
    // 1 when the name was longer than 99 characters and is cut.
    int Cut() const { return m_scanner.tokenCut; }
    // The version the name gives (see ParseVersionText).
    VersionTriple Version() const { return ParseVersionText(Name()); }

private:
    ListScanner m_scanner;
};
