#pragma once
// The installed client version in "config.ini" of the game directory.
#include <cstddef>

#include "app/LaunchOptions.h"
#include "app/PatchSession.h"

enum { kConfigPathSize = 280 };

// dir + "config.ini", with a backslash between them unless dir already ends in one.
// The result is cut to fit outSize.
void LocateConfigFile(const char* dir, char* out, size_t outSize);

// The test mode installs the higher of the two versions, weighing major by 65535;
// a tie takes the test version.
VersionTriple ChooseTestModeVersion(const VersionTriple& release, const VersionTriple& test);
