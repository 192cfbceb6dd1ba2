// A repair run, its first half: the catalogue's signature and the manifests of the
// versions up to the installed one, which say what the game directory should hold.
#include "patch/win/RepairRun.h"

#include <wininet.h>

#include <cstdio>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "patch/ListCheck.h"
#include "patch/ListEntries.h"
#include "patch/ListFile.h"
#include "patch/Manifest.h"
#include "patch/ManifestCheck.h"
#include "patch/Sha256.h"
#include "patch/win/SignedFetch.h"

namespace {

enum { kFtpDirBytes = 256 };

// Scratch files of the run, in Temp; removed as soon as they are read.
const char kScratchPath[] = "Temp\\repair.tmp";

} // namespace

RepairRun::RepairRun(PatchEngine& engine, PatchSession& session, LaunchOptions& options,
                     PatchReporter& reporter, const PublisherKeys& keys)
    : m_engine(engine), m_session(session), m_options(options), m_reporter(reporter), m_keys(keys)
{
}

int RepairRun::Run()
{
    m_options.repair = 0;   // one repair per request; a later connection patches as usual
    m_session.stopped = 0;
    char root[kFtpDirBytes] = "";
    DWORD length = sizeof root;
    if (m_session.ftpHandle)
        FtpGetCurrentDirectoryA(static_cast<HINTERNET>(m_session.ftpHandle), root, &length);
    m_rootDir = root;

    std::vector<RepairVersion> versions;
    std::vector<RepairItem> plan;
    std::vector<const RepairItem*> damaged;
    std::string error;
    int ok = VerifyCatalogue() && ReadManifests(versions);
    if (ok && !BuildRepairPlan(versions, plan, error)) {
        m_reporter.ShowStatusError(g_msg.Get(kMsgUpdateFailed));
        ok = 0;
    }
    ok = ok && CheckFiles(plan, damaged) && RepairFiles(damaged);
    if (!ok || m_session.stopped) {
        // A stop has shown the idle state already; a failure keeps its error text and
        // the session offers a new attempt.
        m_engine.CloseFtp();
        return 0;
    }
    // The summary names what could not be repaired; the run itself has ended.
    Finish();
    return 1;
}

int RepairRun::VerifyCatalogue()
{
    if (m_keys.count == 0)
        return 1;
    std::string bytes;
    FILE* file = fopen(m_session.catalogueName, "rb");
    if (file) {
        char block[4096];
        size_t got;
        while ((got = fread(block, 1, sizeof block, file)) > 0)
            bytes.append(block, got);
        fclose(file);
    }
    if (file && VerifyRemoteSignature(static_cast<HINTERNET>(m_session.ftpHandle), m_session.catalogueName,
                                      kScratchPath, kSignedCatalogue, m_keys, bytes) == kSignedFetchOk)
        return 1;
    m_reporter.ShowStatusError(g_msg.Get(kMsgCatalogueUnreadable));
    return 0;
}

int RepairRun::ReadManifests(std::vector<RepairVersion>& versions)
{
    m_reporter.ShowStatus(g_msg.Get(kMsgRepairReading));
    const PackedVersion installed = PackVersion(m_session.installedVersion);
    int count = 0;
    for (int i = 0; i < m_session.versionCount; ++i)
        count += m_session.versions[i].packed <= installed ? 1 : 0;
    m_reporter.SetBarRange(kLowerBar, count);
    int done = 0;
    for (int i = 0; i < m_session.versionCount; ++i) {
        const VersionEntry& entry = m_session.versions[i];
        if (entry.packed > installed)
            continue;   // newer than the game: a normal run patches it
        char counter[64];
        snprintf(counter, sizeof counter, "%s%d/%d", g_msg.Get(kMsgVersionsCounter), done + 1, count);
        m_reporter.SetCounterText(kVersionCounter, counter);
        RepairVersion version;
        int read = ReadVersion(entry, version);
        if (m_session.stopped)
            return 0;
        if (read == kVersionUnusable) {
            char text[512];
            snprintf(text, sizeof text, g_msg.Get(kMsgRepairNoManifest), entry.name);
            m_reporter.ShowStatusError(text);
            return 0;
        }
        if (read == kVersionRead)
            versions.push_back(version);
        m_reporter.SetBarPos(kLowerBar, ++done);
        m_reporter.PumpOneMessage();
    }
    return m_session.stopped ? 0 : 1;
}

int RepairRun::EnterVersionDirectory(const std::string& directory)
{
    HINTERNET ftp = static_cast<HINTERNET>(m_session.ftpHandle);
    if (!ftp || !FtpSetCurrentDirectoryA(ftp, m_rootDir.c_str()) ||
        !FtpSetCurrentDirectoryA(ftp, directory.c_str()))
        return 0;
    return 1;
}

int RepairRun::ReadVersion(const VersionEntry& entry, RepairVersion& version)
{
    if (!EnterVersionDirectory(entry.name))
        return kVersionUnusable;
    m_listedDir.clear();
    HINTERNET ftp = static_cast<HINTERNET>(m_session.ftpHandle);
    std::string listBytes, manifestText, error;
    Manifest manifest;
    std::vector<std::string> paths;
    int ok = FetchFileToMemory(ftp, kListFileName, kListFileName, kMaxManifestBytes, listBytes) &&
             FetchSignedFile(ftp, kManifestFileName, kScratchPath, kSignedManifest, m_keys,
                             kMaxManifestBytes, manifestText) == kSignedFetchOk &&
             ParseManifest(manifestText.data(), manifestText.size(), manifest, error);
    if (ok) {
        // The list is read again from a local copy by the one list reader.
        FILE* local = fopen(kListFileName, "wb");
        ok = local && fwrite(listBytes.data(), 1, listBytes.size(), local) == listBytes.size();
        if (local)
            fclose(local);
    }
    std::string path;
    ok = ok && CollectListPaths(kListFileName, paths) &&
         CheckManifestFits(manifest, entry.name, listBytes.size(),
                           HashBytesSha256(listBytes.data(), listBytes.size()), paths, path) == kManifestFits;
    int testServer = ok ? ListHasTag(kListFileName, kTagTestServer) : 0;
    version.compressed = ok && ListHasTag(kListFileName, kTagCompressed) == 1;
    // Every name must stay inside the game directory, as in the walk: a keyless
    // launcher takes the list and manifest from the server as they come.
    ok = ok && CheckFileList(kListFileName, version.compressed ? 1 : 0);
    DeleteFileA(kListFileName);
    if (!ok)
        return kVersionUnusable;
    // A release launcher passes over the test server's versions, as its walk does.
    if (m_options.runMode == kRunRelease && testServer == 1)
        return kVersionSkipped;
    version.directory = entry.name;
    version.manifest = manifest;
    return kVersionRead;
}
