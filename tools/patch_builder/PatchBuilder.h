#pragma once
// The build command: checks everything first and writes nothing when anything is
// wrong; otherwise builds the version directory in a temporary directory inside the
// FTP root, renames it into place, then replaces the catalogue with a copy that lists
// the new version.
#include <cstdio>

#include "tools/patch_builder/BuildRules.h"

// Returns 1 when the version was published, 0 when it was refused or failed (the
// reasons are printed to `err`, a summary of a success to `out`).
int BuildVersion(const BuildOptions& options, FILE* out, FILE* err);
