#include "tests/win/SignedServing.h"

#include <fstream>

#include <sodium/crypto_sign_ed25519.h>

#include "patch/HexText.h"
#include "patch/Manifest.h"
#include "patch/Sha256.h"
#include "tests/win/patch_ftp_support.h"

std::string TestKeySeed()
{
    // "zr-secret-key 1", then the seed.
    std::ifstream file(SourceFile("tests/fixtures/keys/test_publisher.key"));
    std::string header, seed;
    std::getline(file, header);
    std::getline(file, seed);
    return seed;
}

std::string OtherKeySeed()
{
    return std::string(64, '7');
}

PublisherKeys TestPublisherKeys()
{
    std::ifstream file(SourceFile("tests/fixtures/keys/test_publisher.key.pub"));
    std::string text;
    std::getline(file, text);
    PublisherKeys keys;
    ParsePublisherKeys(text.c_str(), keys);
    return keys;
}

std::string SignatureText(SignedKind kind, const std::string& bytes, const std::string& seedHex)
{
    uint8_t seed[crypto_sign_ed25519_SEEDBYTES];
    uint8_t publicKey[crypto_sign_ed25519_PUBLICKEYBYTES];
    uint8_t secretKey[crypto_sign_ed25519_SECRETKEYBYTES];
    uint8_t signature[kSignatureBytes];
    if (!BytesFromHex(seedHex.data(), seedHex.size(), seed, sizeof seed, false))
        return std::string();
    crypto_sign_ed25519_seed_keypair(publicKey, secretKey, seed);
    std::vector<uint8_t> message = SignedMessage(kind, bytes.data(), bytes.size());
    crypto_sign_ed25519_detached(signature, nullptr, message.data(), message.size(), secretKey);
    return SignatureFileText(signature);
}

std::string ManifestText(const std::string& version, const std::string& list,
                         const std::vector<ServedFile>& files)
{
    Manifest manifest;
    manifest.version = version;
    manifest.listSize = list.size();
    manifest.listHash = HashBytesSha256(list.data(), list.size());
    for (const ServedFile& file : files) {
        ManifestEntry entry;
        entry.path = file.path;
        entry.servedSize = file.served.size();
        entry.servedHash = HashBytesSha256(file.served.data(), file.served.size());
        entry.installedSize = file.installed.size();
        entry.installedHash = HashBytesSha256(file.installed.data(), file.installed.size());
        manifest.entries.push_back(entry);
    }
    return FormatManifest(manifest);
}
