#pragma once
// What the launcher checks of an update before it installs anything: the catalogue's
// signature, each version's manifest (signed, naming the version, made from exactly
// the fetched "list.inf" and its entries) and every fetched file against its entry.
//
// With a publisher key every one of these must hold. Without a key a manifest that
// the server offers is still used for sizes and hashes (it catches damaged transfers,
// not forgeries); a version without one is taken as it is, as launchers always did.
#include <map>
#include <string>

#include "patch/Manifest.h"
#include "patch/PublisherKeys.h"

enum VerifyResult {
    kVerifyOk = 0,
    kVerifyUnsigned,   // not signed by the publisher, or signed for something else
    kVerifyDamaged,    // a file, list or manifest whose content is not what was signed
};

class UpdateVerifier {
public:
    void SetKeys(const PublisherKeys& keys) { m_keys = keys; }
    bool Keyed() const { return m_keys.count > 0; }

    // The catalogue's bytes and its signature file (null when the server has none).
    int CheckCatalogue(const std::string& catalogue, const std::string* signature) const;

    // Takes the manifest of the version `versionName` whose list was fetched to
    // `listPath` (`compressed` when its names carry a suffix the launcher strips).
    // `manifest` or `signature` are null when the server has none. After kVerifyOk
    // the files of the version are checked against the manifest, if any.
    int LoadManifest(const std::string& versionName, const char* listPath, bool compressed,
                     const std::string* manifest, const std::string* signature);
    void Forget();
    bool HasManifest() const { return m_loaded; }
    const Manifest& LoadedManifest() const { return m_manifest; }

    // A file of the list, `relative` as the list names it (with the directory and the
    // suffix of a compressed list), in its installed form at `path`. kVerifyOk when it
    // matches, or when the version has no manifest.
    int CheckFile(const std::string& relative, const char* path) const;

    // One line of the log (the installed name, without a compressed list's suffix),
    // found again at `path`: it must be an entry of the manifest and match it;
    // without a manifest the file must exist.
    int CheckLoggedFile(const std::string& logged, const char* path) const;

    // Why the last check failed, in English, for the launcher's log.
    const std::string& Problem() const { return m_problem; }

private:
    int Fail(int result, const std::string& problem) const;

    PublisherKeys m_keys;
    Manifest m_manifest;
    std::map<std::string, std::string> m_listedName;   // installed name -> list path
    bool m_loaded = false;
    mutable std::string m_problem;
};
