// A repair run, its first half: the manifests of the versions up to the installed
// one, which say what the game directory should hold. The session has checked the
// catalogue's signature before the run starts.
#include "patch/win/RepairRun.h"

#include <cstdio>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "patch/ListCheck.h"
#include "patch/ListEntries.h"
#include "patch/ListFile.h"
#include "patch/Manifest.h"
#include "patch/ManifestCheck.h"
#include "patch/Signature.h"
#include "patch/UpdateVerifier.h"

namespace {

enum { kFtpDirBytes = 256 };

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
    m_engine.GetFtpDirectory(root, sizeof root);
    m_rootDir = root;

    std::vector<RepairVersion> versions;
    std::vector<RepairItem> plan;
    std::vector<const RepairItem*> damaged;
    std::string error;
    int ok = ReadManifests(versions);
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
    return m_engine.SetFtpDirectory(m_rootDir.c_str()) && m_engine.SetFtpDirectory(directory.c_str()) ? 1 : 0;
}

int RepairRun::ReadVersion(const VersionEntry& entry, RepairVersion& version)
{
    if (!EnterVersionDirectory(entry.name))
        return kVersionUnusable;
    m_listedDir.clear();
    // The manifest must be signed (with a key), name this version and pin the list
    // and its entries, as in the walk; a repair needs one even without a key.
    UpdateVerifier verifier;
    verifier.SetKeys(m_keys);
    std::string listBytes, manifestText, signature;
    const std::string signatureName = std::string(kManifestFileName) + kSignatureSuffix;
    int ok = m_engine.FetchWholeFile(kListFileName, listBytes) &&
             m_engine.FetchSmallFile(kManifestFileName, kMaxManifestBytes, manifestText);
    bool hasSignature = ok && verifier.Keyed() &&
                        m_engine.FetchSmallFile(signatureName.c_str(), kMaxSignatureFileBytes, signature);
    version.compressed = ok && ListHasTag(kListFileName, kTagCompressed) == 1;
    ok = ok && verifier.LoadManifest(entry.name, kListFileName, version.compressed, &manifestText,
                                     hasSignature ? &signature : nullptr) == kVerifyOk;
    int testServer = ok ? ListHasTag(kListFileName, kTagTestServer) : 0;
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
    version.manifest = verifier.LoadedManifest();
    return kVersionRead;
}
