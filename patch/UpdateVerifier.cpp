#include "patch/UpdateVerifier.h"

#include <cstdio>
#include <vector>

#include "patch/ListCheck.h"
#include "patch/ListEntries.h"
#include "patch/ManifestCheck.h"
#include "patch/Signature.h"

int UpdateVerifier::Fail(int result, const std::string& problem) const
{
    m_problem = problem;
    return result;
}

int UpdateVerifier::CheckCatalogue(const std::string& catalogue, const std::string* signature) const
{
    m_problem.clear();
    if (!Keyed())
        return kVerifyOk;
    if (!signature)
        return Fail(kVerifyUnsigned, "the catalogue has no signature");
    if (VerifySignedFile(m_keys, kSignedCatalogue, catalogue.data(), catalogue.size(), signature->data(),
                         signature->size()) != 1)
        return Fail(kVerifyUnsigned, "the catalogue's signature does not verify");
    return kVerifyOk;
}

int UpdateVerifier::LoadManifest(const std::string& versionName, const char* listPath, bool compressed,
                                 const std::string* manifest, const std::string* signature)
{
    Forget();
    if (!manifest) {
        if (Keyed())
            return Fail(kVerifyUnsigned, "the version has no manifest");
        return kVerifyOk;
    }
    // With a key every doubt is a forgery; without one it can only be damage.
    const int refused = Keyed() ? kVerifyUnsigned : kVerifyDamaged;
    if (Keyed() && !signature)
        return Fail(refused, "the manifest has no signature");
    if (Keyed() && VerifySignedFile(m_keys, kSignedManifest, manifest->data(), manifest->size(),
                                    signature->data(), signature->size()) != 1)
        return Fail(refused, "the manifest's signature does not verify");
    Manifest parsed;
    std::string error;
    if (!ParseManifest(manifest->data(), manifest->size(), parsed, error))
        return Fail(kVerifyDamaged, "manifest: " + error);
    Sha256Digest listHash;
    uint64_t listSize = 0;
    std::vector<std::string> paths;
    if (!HashFileSha256(listPath, listHash, listSize) || !CollectListPaths(listPath, paths))
        return Fail(kVerifyDamaged, "the list cannot be read");
    std::string path;
    int fit = CheckManifestFits(parsed, versionName, listSize, listHash, paths, path);
    if (fit != kManifestFits)
        return Fail(refused, DescribeManifestFit(fit, path));
    m_manifest = std::move(parsed);
    for (const std::string& listed : paths) {
        size_t cut = compressed && listed.size() > size_t{kCompressedSuffixLength} ? size_t{kCompressedSuffixLength} : 0;
        m_listedName[listed.substr(0, listed.size() - cut)] = listed;
    }
    m_loaded = true;
    return kVerifyOk;
}

void UpdateVerifier::Forget()
{
    m_manifest = Manifest();
    m_listedName.clear();
    m_loaded = false;
    m_problem.clear();
}

int UpdateVerifier::CheckFile(const std::string& relative, const char* path) const
{
    m_problem.clear();
    if (!m_loaded)
        return kVerifyOk;
    const ManifestEntry* entry = m_manifest.Find(relative);
    if (!entry)
        return Fail(kVerifyDamaged, "\"" + relative + "\" is not in the manifest");
    if (CheckFileAgainstEntry(*entry, path, false) != kFileMatches)
        return Fail(kVerifyDamaged, "\"" + relative + "\" does not match the manifest");
    return kVerifyOk;
}

int UpdateVerifier::CheckLoggedFile(const std::string& logged, const char* path) const
{
    m_problem.clear();
    if (m_loaded) {
        auto listed = m_listedName.find(logged);
        if (listed == m_listedName.end())
            return Fail(kVerifyDamaged, "\"" + logged + "\" is logged but not listed");
        return CheckFile(listed->second, path);
    }
    if (FILE* file = fopen(path, "rb")) {
        fclose(file);
        return kVerifyOk;
    }
    return Fail(kVerifyDamaged, "\"" + logged + "\" is missing from Temp");
}
