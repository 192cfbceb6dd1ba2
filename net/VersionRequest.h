#pragma once
// The one request the launcher sends: its installed version, as a 6-byte short frame
//   C1 06 op major minor patch
// with op 0x06 in test mode (runMode 2), 0x07 with a version from the command line
// (runMode 4), 0x05 otherwise.
#include "app/VersionTriple.h"

enum { kVersionRequestSize = 6 };

enum VersionRequestOp {
    kOpVersionNormal = 0x05,
    kOpVersionTest = 0x06,
    kOpVersionLocal = 0x07,
};

// Fills out with the request; returns its size.
int BuildVersionRequest(int runMode, VersionTriple installed,
                        unsigned char out[kVersionRequestSize]);
