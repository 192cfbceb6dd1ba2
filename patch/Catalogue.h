#pragma once
// Reading of the version catalogue into the session's version table.
//
// The catalogue is read with CatalogueReader. Each version name is the version's
// directory on the patch server, and its dot-separated parts give major, minor and
// patch (empty parts skipped, leading digits of each part, kept modulo 256, a
// missing part is 0).
//
// A version name longer than 8 characters does not fit VersionEntry::name. Cutting
// it would send the launcher into another directory than the one the server meant,
// so such a catalogue is refused as unreadable.
#include "app/PatchSession.h"

enum CatalogueResult {
    kCatalogueUnreadable = 0,  // cannot be opened, or a version name is too long
    kCatalogueOk = 1,
    kCatalogueTooMany = 2,     // 1000 versions or more
};

enum { kMaxVersionNameLength = 8 };

// Fills s.versions and s.versionCount from the catalogue file at path and returns a
// CatalogueResult. On any failure versionCount is left at 0, so a refused catalogue
// is never walked. Shows nothing: the caller reports the failure.
int ParseCatalogueFile(const char* path, PatchSession& s);
