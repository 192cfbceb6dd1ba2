#pragma once
// What a repair expects the game directory to hold. For the installed version V the
// launcher reads the manifests of the catalogue's versions up to V, in catalogue
// order; the last manifest entry naming a path (letter case ignored, as Windows names
// files) gives that path's installed size and hash and the version directory that
// serves it. Paths no manifest names are not part of the plan and are left alone.
#include <cstdint>
#include <string>
#include <vector>

#include "patch/Manifest.h"

// One version's share: its directory, whether its list is compressed, its manifest.
struct RepairVersion {
    std::string directory;
    bool compressed = false;
    Manifest manifest;
};

struct RepairItem {
    std::string installedPath;   // where it lives in the game directory ("data\\a.bmd")
    std::string listedPath;      // the manifest's path, with the served suffix
    std::string servedName;      // the bare name in the version directory
    std::string directory;       // the version directory serving it
    bool compressed = false;
    bool selfUpdate = false;     // the launcher itself: installed as zr._xe
    ManifestEntry entry;
};

// The expected files in the order their paths first appear. 0 with a reason in
// `error` when a compressed entry's path is too short to hold its suffix, or a path
// fails the relative-path check (it would leave the game directory).
int BuildRepairPlan(const std::vector<RepairVersion>& versions, std::vector<RepairItem>& plan,
                    std::string& error);

// The tally shown at the end of a repair.
struct RepairTally {
    int checked = 0;
    int repaired = 0;
    int failed = 0;
    std::string firstFailed;   // the installed path of the first file that failed
};
