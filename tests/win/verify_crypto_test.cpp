// The cross-built libsodium under Windows: known answers of SHA-256 and Ed25519, and the
// launcher's file hash and signature check through the Windows C runtime.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <sodium/crypto_sign_ed25519.h>

#include "patch/HexText.h"
#include "patch/PublisherKeys.h"
#include "patch/Sha256.h"
#include "patch/Signature.h"

namespace {

// The first Ed25519 test vector of RFC 8032 (the empty message).
const char kRfcPublic[] = "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a";
const char kRfcSeed[] = "9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60";
const char kRfcSignature[] =
    "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46bd25bf5f0595bbe24655141438e7a100b";

} // namespace

TEST(VerifyCrypto, KnownAnswers)
{
    EXPECT_EQ(Sha256Hex(HashBytesSha256("abc", 3)),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    uint8_t publicKey[32], seed[32], signature[64];
    ASSERT_EQ(BytesFromHex(kRfcPublic, 64, publicKey, 32, false), 1);
    ASSERT_EQ(BytesFromHex(kRfcSeed, 64, seed, 32, false), 1);
    ASSERT_EQ(BytesFromHex(kRfcSignature, 128, signature, 64, false), 1);
    EXPECT_EQ(crypto_sign_ed25519_verify_detached(signature, nullptr, 0, publicKey), 0);
    signature[0] ^= 1;
    EXPECT_NE(crypto_sign_ed25519_verify_detached(signature, nullptr, 0, publicKey), 0);
    uint8_t derivedPublic[32], secretKey[64], made[64];
    crypto_sign_ed25519_seed_keypair(derivedPublic, secretKey, seed);
    EXPECT_EQ(HexFromBytes(derivedPublic, 32), kRfcPublic);
    crypto_sign_ed25519_detached(made, nullptr, nullptr, 0, secretKey);
    EXPECT_EQ(HexFromBytes(made, 64), kRfcSignature);
}

TEST(VerifyCrypto, SignedFileAndFileHashUnderWindows)
{
    uint8_t seed[32] = {7}, publicKey[32], secretKey[64], signature[64];
    crypto_sign_ed25519_seed_keypair(publicKey, secretKey, seed);
    PublisherKeys keys;
    ASSERT_EQ(ParsePublisherKeys(HexFromBytes(publicKey, 32).c_str(), keys), 1);
    const std::string text = "zr-manifest 1\nversion 1.0.1\n";
    std::vector<uint8_t> message = SignedMessage(kSignedManifest, text.data(), text.size());
    crypto_sign_ed25519_detached(signature, nullptr, message.data(), message.size(), secretKey);
    std::string file = SignatureFileText(signature);
    EXPECT_EQ(VerifySignedFile(keys, kSignedManifest, text.data(), text.size(), file.data(),
                               file.size()), 1);
    EXPECT_EQ(VerifySignedFile(keys, kSignedCatalogue, text.data(), text.size(), file.data(),
                               file.size()), 0);

    char dir[MAX_PATH], path[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, dir), 0u);
    ASSERT_NE(GetTempFileNameA(dir, "zrh", 0, path), 0u);
    std::vector<uint8_t> bytes((2u << 20) + 77);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 13 + 1);
    FILE* f = fopen(path, "wb");
    ASSERT_TRUE(f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    Sha256Digest digest;
    uint64_t size = 0;
    EXPECT_EQ(HashFileSha256(path, digest, size), 1);
    EXPECT_EQ(size, bytes.size());
    EXPECT_EQ(digest, HashBytesSha256(bytes.data(), bytes.size()));
    DeleteFileA(path);
}
