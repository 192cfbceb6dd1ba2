#include "tools/patch_builder/KeyFiles.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <sodium/crypto_sign_ed25519.h>
#include <sodium/utils.h>

#include "patch/HexText.h"
#include "tools/patch_builder/FileSystem.h"

namespace {

const char kSecretHeader[] = "zr-secret-key 1\n";

// Creates `path` with `mode`, failing when it exists, and writes `text` to it.
int CreateNewFile(const std::string& path, const std::string& text, mode_t mode,
                  std::string& error)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        error = "cannot create " + path + ": " + strerror(errno) +
                (errno == EEXIST ? " (an existing key is never replaced)" : "");
        return 0;
    }
    int ok = fchmod(fd, mode) == 0 && write(fd, text.data(), text.size()) ==
                                          static_cast<ssize_t>(text.size()) && fsync(fd) == 0;
    if (close(fd) != 0)
        ok = 0;
    if (!ok) {
        error = "cannot write " + path + ": " + strerror(errno);
        unlink(path.c_str());
    }
    return ok;
}

std::string TrimLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

SecretKey::~SecretKey()
{
    sodium_memzero(bytes, sizeof bytes);
}

std::string PublicKeyHex(const SecretKey& key)
{
    return HexFromBytes(key.bytes + crypto_sign_ed25519_SEEDBYTES, crypto_sign_ed25519_PUBLICKEYBYTES);
}

int GenerateKeyFiles(const std::string& secretPath, std::string& publicHex, std::string& error)
{
    std::string publicPath = secretPath + ".pub";
    if (PathExists(secretPath) || PathExists(publicPath)) {
        error = "a key already exists at " + secretPath + " or " + publicPath +
                "; an existing key is never replaced";
        return 0;
    }
    uint8_t seed[crypto_sign_ed25519_SEEDBYTES];
    if (getrandom(seed, sizeof seed, 0) != static_cast<ssize_t>(sizeof seed)) {
        error = std::string("the system's random source failed: ") + strerror(errno);
        return 0;
    }
    SecretKey key;
    uint8_t publicKey[crypto_sign_ed25519_PUBLICKEYBYTES];
    crypto_sign_ed25519_seed_keypair(publicKey, key.bytes, seed);
    std::string secretText = kSecretHeader + HexFromBytes(seed, sizeof seed) + "\n";
    sodium_memzero(seed, sizeof seed);
    publicHex = HexFromBytes(publicKey, sizeof publicKey);
    int ok = CreateNewFile(secretPath, secretText, 0600, error) &&
             CreateNewFile(publicPath, publicHex + "\n", 0644, error);
    sodium_memzero(&secretText[0], secretText.size());
    return ok;
}

int LoadSecretKey(const std::string& path, SecretKey& key, std::string& warning,
                  std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, text, error))
        return 0;
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && (info.st_mode & 077))
        warning = path + " may be read by other users: chmod 600 it";
    const size_t header = sizeof kSecretHeader - 1;
    uint8_t seed[crypto_sign_ed25519_SEEDBYTES];
    int ok = text.compare(0, header, kSecretHeader) == 0 &&
             BytesFromHex(text.data() + header, TrimLineEnd(text.substr(header)).size(), seed,
                          sizeof seed, false);
    sodium_memzero(&text[0], text.size());
    if (!ok) {
        error = path + " is not a secret key file made by zr-patch-builder keygen";
        return 0;
    }
    uint8_t publicKey[crypto_sign_ed25519_PUBLICKEYBYTES];
    crypto_sign_ed25519_seed_keypair(publicKey, key.bytes, seed);
    sodium_memzero(seed, sizeof seed);
    return 1;
}

int LoadPublicKeys(const std::string& text, PublisherKeys& keys, std::string& error)
{
    if (ParsePublisherKeys(text.c_str(), keys) && keys.count > 0)
        return 1;
    std::string fileText;
    std::string readError;
    if (PathExists(text) && ReadWholeFile(text, fileText, readError) &&
        ParsePublisherKeys(TrimLineEnd(fileText).c_str(), keys) && keys.count > 0)
        return 1;
    error = "\"" + text + "\" is neither one or two public keys of 64 hex digits nor a "
            "public key file";
    return 0;
}
