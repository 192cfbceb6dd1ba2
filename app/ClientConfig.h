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

// Sets installedVersion: from the /l version, or from "config.ini" by run mode.
void LoadInstalledVersion(PatchSession& session, const LaunchOptions& options);
// Writes installedVersion as "%d.%02d.%02d": as TestVersion (and Version after a
// normal list) in the test mode, as Version otherwise.
void StoreInstalledVersion(PatchSession& session, const LaunchOptions& options);
// 1 when TestVersion and Version of "config.ini" are equal (two missing keys match).
int TestVersionMatches(PatchSession& session);
// 1 when "config.ini" in gameDir can be opened for reading.
int ConfigFileExists(const PatchSession& session);
