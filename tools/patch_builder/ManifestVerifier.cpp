#include "tools/patch_builder/ManifestVerifier.h"

#include "patch/ListEntries.h"
#include "patch/ListFile.h"
#include "patch/Manifest.h"
#include "patch/ManifestCheck.h"
#include "patch/Signature.h"
#include "tools/patch_builder/Bzip2File.h"
#include "tools/patch_builder/FileSystem.h"
#include "tools/patch_builder/LauncherLimits.h"

namespace {

// Checks `path`.sig against the bytes in `text`; the problem names the file.
void CheckSignature(const std::string& path, const std::string& text, SignedKind kind,
                    const PublisherKeys& keys, const std::string& label,
                    std::vector<std::string>& problems)
{
    std::string signature, error;
    std::string sigPath = path + kSignatureSuffix;
    size_t slash = sigPath.rfind('/');
    std::string shown = sigPath.substr(slash == std::string::npos ? 0 : slash + 1);
    uint8_t parsed[kSignatureBytes];
    if (!ReadWholeFile(sigPath, signature, error))
        problems.push_back(label + shown + " is missing");
    else if (!ParseSignatureFile(signature.data(), signature.size(), parsed))
        problems.push_back(label + shown + " is not a signature (128 hex digits and a line feed)");
    else if (!VerifySignedFile(keys, kind, text.data(), text.size(), signature.data(),
                               signature.size()))
        problems.push_back(label + shown + " does not verify under the publisher's key(s): " +
                           "the file was changed after signing or signed by another key");
}

void CheckServedFile(const std::string& path, const ManifestEntry& entry, bool compressed,
                     const std::string& label, std::vector<std::string>& problems)
{
    std::string shown = label + "\"" + entry.path + "\"";
    int served = CheckFileAgainstEntry(entry, path.c_str(), true);
    if (served == kFileUnreadable) {
        problems.push_back(shown + ": cannot be read");
        return;
    }
    if (served == kFileDiffers) {
        problems.push_back(shown + ": size or SHA-256 differ from the manifest (damaged or replaced)");
        return;
    }
    if (!compressed)
        return;
    Sha256Digest digest;
    uint64_t size = 0;
    std::string problem;
    if (!HashExpandedFile(path, digest, size, problem))
        problems.push_back(shown + ": " + problem);
    else if (size != entry.installedSize || digest != entry.installedHash)
        problems.push_back(shown + ": the expanded file differs from the manifest");
}

} // namespace

void VerifyCatalogueSignature(const std::string& cataloguePath, const PublisherKeys& keys,
                              std::vector<std::string>& problems)
{
    std::string text, error;
    if (keys.count == 0 || !ReadWholeFile(cataloguePath, text, error))
        return;
    CheckSignature(cataloguePath, text, kSignedCatalogue, keys, "", problems);
}

void VerifyVersionManifest(const std::string& versionDir, const std::string& versionName,
                           const std::string& label, const PublisherKeys& keys,
                           std::vector<std::string>& problems)
{
    std::string manifestPath = JoinPath(versionDir, kManifestFileName);
    std::string text, error;
    std::string prefix = label + ": ";
    if (!ReadWholeFile(manifestPath, text, error)) {
        if (keys.count > 0)
            problems.push_back(prefix + kManifestFileName + " is missing");
        return;
    }
    if (keys.count > 0)
        CheckSignature(manifestPath, text, kSignedManifest, keys, prefix, problems);
    Manifest manifest;
    if (!ParseManifest(text.data(), text.size(), manifest, error)) {
        problems.push_back(prefix + kManifestFileName + " is malformed: " + error);
        return;
    }
    std::string listPath = JoinPath(versionDir, kListFileName);
    std::vector<std::string> paths, names;
    Sha256Digest listHash;
    uint64_t listSize = 0;
    if (!HashFileSha256(listPath.c_str(), listHash, listSize) ||
        !CollectListPaths(listPath.c_str(), paths, &names))
        return;   // the list's own check reports it
    std::string path;
    int fit = CheckManifestFits(manifest, versionName, listSize, listHash, paths, path);
    if (fit != kManifestFits)
        problems.push_back(prefix + DescribeManifestFit(fit, path));
    // A changed list: name the entries it gained or lost as well.
    if (fit == kManifestOtherList) {
        fit = CheckManifestFits(manifest, versionName, manifest.listSize, manifest.listHash,
                                paths, path);
        if (fit != kManifestFits)
            problems.push_back(prefix + DescribeManifestFit(fit, path));
    }
    bool compressed = ListHasTag(listPath.c_str(), kTagCompressed) == 1;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (const ManifestEntry* entry = manifest.Find(paths[i]))
            CheckServedFile(JoinPath(versionDir, names[i]), *entry, compressed, prefix, problems);
    }
}
