#include "tools/patch_builder/VersionSigner.h"

#include <vector>

#include <sodium/crypto_sign_ed25519.h>

#include "patch/ListEntries.h"
#include "patch/ListFile.h"
#include "patch/Signature.h"
#include "tools/patch_builder/Bzip2File.h"
#include "tools/patch_builder/CatalogueFile.h"
#include "tools/patch_builder/FileSystem.h"
#include "tools/patch_builder/LauncherLimits.h"
#include "tools/patch_builder/RootLock.h"

namespace {

int FillEntry(const std::string& path, bool compressed, ManifestEntry& entry, std::string& error)
{
    if (!HashFileSha256(path.c_str(), entry.servedHash, entry.servedSize)) {
        error = "cannot read " + path;
        return 0;
    }
    if (!compressed) {
        entry.installedSize = entry.servedSize;
        entry.installedHash = entry.servedHash;
        return 1;
    }
    std::string problem;
    if (!HashExpandedFile(path, entry.installedHash, entry.installedSize, problem)) {
        error = path + ": " + problem;
        return 0;
    }
    return 1;
}

// Writes `text` to `path` and its signature to `path`.sig.
int WriteSigned(const std::string& path, SignedKind kind, const std::string& text,
                const SecretKey& key, std::string& error)
{
    std::vector<uint8_t> message = SignedMessage(kind, text.data(), text.size());
    uint8_t signature[kSignatureBytes];
    crypto_sign_ed25519_detached(signature, nullptr, message.data(), message.size(), key.bytes);
    return WriteFileAtomically(path, text, error) &&
           WriteFileAtomically(path + kSignatureSuffix, SignatureFileText(signature), error);
}

} // namespace

int MakeManifest(const std::string& versionDir, const std::string& versionName,
                 Manifest& manifest, std::string& error)
{
    manifest = Manifest();
    manifest.version = versionName;
    std::string listPath = JoinPath(versionDir, kListFileName);
    std::vector<std::string> paths, names;
    if (!HashFileSha256(listPath.c_str(), manifest.listHash, manifest.listSize) ||
        !CollectListPaths(listPath.c_str(), paths, &names)) {
        error = "cannot read " + listPath;
        return 0;
    }
    bool compressed = ListHasTag(listPath.c_str(), kTagCompressed) == 1;
    for (size_t i = 0; i < paths.size(); ++i) {
        ManifestEntry entry;
        entry.path = paths[i];
        if (manifest.Find(entry.path)) {
            error = listPath + " lists \"" + entry.path + "\" twice";
            return 0;
        }
        if (!FillEntry(JoinPath(versionDir, names[i]), compressed, entry, error))
            return 0;
        manifest.index[entry.path] = manifest.entries.size();
        manifest.entries.push_back(entry);
    }
    return 1;
}

int SignVersionDirectory(const std::string& versionDir, const std::string& versionName,
                         const SecretKey& key, std::string& error)
{
    Manifest manifest;
    if (!MakeManifest(versionDir, versionName, manifest, error))
        return 0;
    std::string text = FormatManifest(manifest);
    // Read back as the launcher reads it, so nothing is signed that it would refuse.
    Manifest check;
    std::string fault;
    if (!ParseManifest(text.data(), text.size(), check, fault)) {
        error = "version \"" + versionName + "\": the manifest would be refused (" + fault + ")";
        return 0;
    }
    return WriteSigned(JoinPath(versionDir, kManifestFileName), kSignedManifest, text, key, error);
}

int SignCatalogueFile(const std::string& cataloguePath, const SecretKey& key, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(cataloguePath, text, error))
        return 0;
    std::vector<uint8_t> message = SignedMessage(kSignedCatalogue, text.data(), text.size());
    uint8_t signature[kSignatureBytes];
    crypto_sign_ed25519_detached(signature, nullptr, message.data(), message.size(), key.bytes);
    return WriteFileAtomically(cataloguePath + kSignatureSuffix, SignatureFileText(signature),
                               error);
}

int SignRoot(const std::string& root, const std::string& catalogueName, const SecretKey& key,
             bool resign, FILE* out, std::string& error)
{
    RootLock lock;
    if (!lock.Take(root, error))
        return 0;
    std::string cataloguePath = JoinPath(root, catalogueName);
    std::vector<CatalogueVersion> versions;
    if (!ReadCatalogue(cataloguePath, versions, error))
        return 0;
    for (const CatalogueVersion& version : versions) {
        std::string dir = JoinPath(root, version.name);
        if (version.name.find_first_of("/\\") != std::string::npos || !IsDirectory(dir)) {
            error = "version \"" + version.name + "\": no such version directory";
            return 0;
        }
        if (!resign && PathExists(JoinPath(dir, kManifestFileName))) {
            fprintf(out, "version %s: kept its manifest\n", version.name.c_str());
            continue;
        }
        if (!SignVersionDirectory(dir, version.name, key, error))
            return 0;
        fprintf(out, "version %s: signed\n", version.name.c_str());
    }
    if (!SignCatalogueFile(cataloguePath, key, error))
        return 0;
    fprintf(out, "%s: signed\n", catalogueName.c_str());
    return 1;
}
