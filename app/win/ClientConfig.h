#pragma once
// The installed client version in "config.ini" of the game directory, read and
// written through the private profile calls.
#include "app/ClientConfig.h"
#include "app/LaunchOptions.h"
#include "app/PatchSession.h"

// Sets installedVersion: from the /l version, or from "config.ini" by run mode.
void LoadInstalledVersion(PatchSession& session, const LaunchOptions& options);
// Writes installedVersion as "%d.%02d.%02d": as TestVersion (and Version after a
// normal list) in the test mode, as Version otherwise.
void StoreInstalledVersion(PatchSession& session, const LaunchOptions& options);
// 1 when TestVersion and Version of "config.ini" are equal (two missing keys match).
int TestVersionMatches(PatchSession& session);
// 1 when "config.ini" in gameDir can be opened for reading.
int ConfigFileExists(const PatchSession& session);
