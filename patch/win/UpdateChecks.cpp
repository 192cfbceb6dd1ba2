// The engine's side of the update checks: fetching the catalogue's signature and a
// version's manifest, and checking fetched and logged files before anything of a
// version is installed. The decisions are UpdateVerifier's.
#include <windows.h>

#include <string>

#include "app/MessageIds.h"
#include "app/Msg.h"
#include "patch/LauncherKeys.h"
#include "patch/ListFile.h"
#include "patch/PatchLog.h"
#include "patch/Signature.h"
#include "patch/win/PatchEngine.h"

namespace {

const char kTempPrefix[] = "Temp\\";

} // namespace

void PatchEngine::ShowVerifyFailure(int result)
{
    m_reporter.ShowStatusError(g_msg.Get(result == kVerifyUnsigned ? kMsgUpdateNotSigned : kMsgDamagedFile));
}

int PatchEngine::CheckCatalogueSignature(const std::string& catalogue)
{
    m_verifier.SetKeys(g_publisherKeys);
    if (!m_verifier.Keyed())
        return 1;
    std::string signature;
    std::string signatureName = std::string(m_session.catalogueName) + kSignatureSuffix;
    bool signed_ = FetchSmallFile(signatureName.c_str(), kMaxSignatureFileBytes, signature) != 0;
    int result = m_verifier.CheckCatalogue(catalogue, signed_ ? &signature : nullptr);
    if (result == kVerifyOk)
        return 1;
    ShowVerifyFailure(result);
    DeleteFileA(m_session.catalogueName);
    return 0;
}

int PatchEngine::LoadVersionManifest(const char* directory)
{
    // A keyless launcher asks only for a manifest the listing shows, so a server
    // without manifests sees no extra request.
    std::string manifest;
    std::string signature;
    std::string signatureName = std::string(kManifestFileName) + kSignatureSuffix;
    bool hasManifest = (m_verifier.Keyed() || FindRemoteFile(kManifestFileName)) &&
                       FetchSmallFile(kManifestFileName, kMaxManifestBytes, manifest);
    bool hasSignature = hasManifest && m_verifier.Keyed() &&
                        FetchSmallFile(signatureName.c_str(), kMaxSignatureFileBytes, signature);
    int result = m_verifier.LoadManifest(directory, kListFileName, m_session.listCompressed != 0,
                                         hasManifest ? &manifest : nullptr, hasSignature ? &signature : nullptr);
    if (result != kVerifyOk)
        ShowVerifyFailure(result);
    return result == kVerifyOk ? 1 : 0;
}

int PatchEngine::CheckInstalledForm(const char* relative, const char* logName)
{
    std::string path = std::string(kTempPrefix) + logName;
    return m_verifier.CheckFile(relative, path.c_str()) == kVerifyOk ? 1 : 0;
}

int PatchEngine::LoggedCopyUsable(const char* relative, const char* logName)
{
    std::string path = std::string(kTempPrefix) + logName;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return 0;
    return m_verifier.CheckFile(relative, path.c_str()) == kVerifyOk ? 1 : 0;
}

int PatchEngine::VerifyLoggedFiles()
{
    PatchLogReader reader;
    if (!reader.Open(m_log.FileName()))
        return 1;  // nothing logged, nothing to install
    PatchLogLine line;
    bool good = true;
    while (good && reader.NextFileEntry(&line)) {
        std::string path = std::string(kTempPrefix) + line.text;
        good = m_verifier.CheckLoggedFile(line.text, path.c_str()) == kVerifyOk;
        m_reporter.PumpOneMessage();
    }
    reader.Close();
    if (good)
        return 1;
    // A log that names a file the version does not hold, or a copy gone bad, would
    // fail the same way at every start: the version starts again from nothing.
    m_log.DeleteLog();
    m_reporter.ShowStatusError(g_msg.Get(kMsgDamagedFile));
    return 0;
}
