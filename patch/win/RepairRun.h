#pragma once
// A repair run: instead of walking newer versions, the launcher reads the signed
// manifests of the catalogue's versions up to the installed one, hashes every file
// they name in the game directory, and fetches back each file that is missing or
// differs, with the same checks as a patch (served hash, expansion, installed hash).
// A file is installed by renaming it from Temp over its target, so a stop at any
// point leaves every file either as it was or repaired. The launcher's own file goes
// through the self-update path (zr._xe and the restart).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/LaunchOptions.h"
#include "app/PatchSession.h"
#include "patch/PublisherKeys.h"
#include "patch/RepairPlan.h"
#include "patch/win/PatchEngine.h"
#include "patch/win/PatchReporter.h"

class RepairRun {
public:
    RepairRun(PatchEngine& engine, PatchSession& session, LaunchOptions& options,
              PatchReporter& reporter, const PublisherKeys& keys);

    // Runs after the catalogue has been fetched and parsed, with FTP open. Ends in the
    // ready state with the summary (or idle after a stop). 1 when every file is
    // intact or repaired.
    int Run();
    const RepairTally& Tally() const { return m_tally; }

private:
    enum { kVersionRead = 1, kVersionSkipped = 2, kVersionUnusable = 0 };

    // Manifests (RepairRun.cpp).
    int ReadManifests(std::vector<RepairVersion>& versions);
    int ReadVersion(const VersionEntry& entry, RepairVersion& version);
    int EnterVersionDirectory(const std::string& directory);

    // Checking and fetching (RepairFiles.cpp).
    int CheckFiles(const std::vector<RepairItem>& plan, std::vector<const RepairItem*>& damaged);
    int HashInstalled(const RepairItem& item, uint64_t& hashedBytes, uint64_t totalBytes);
    int RepairFiles(const std::vector<const RepairItem*>& damaged);
    int RepairOne(const RepairItem& item);
    int FetchIntoTemp(const RepairItem& item, std::string& installedTemp);
    void Finish();
    void ShowFileFailed(const std::string& path);

    PatchEngine& m_engine;
    PatchSession& m_session;
    LaunchOptions& m_options;
    PatchReporter& m_reporter;
    const PublisherKeys& m_keys;
    std::string m_rootDir;       // the FTP directory that holds the catalogue
    std::string m_listedDir;     // the version directory whose listing the session holds
    RepairTally m_tally;
    bool m_selfUpdated = false;
};
