// SHA-256 of bytes and files, the publisher-key setting and detached signatures.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <sodium/crypto_sign_ed25519.h>

#include "patch/HexText.h"
#include "patch/PublisherKeys.h"
#include "patch/Sha256.h"
#include "patch/Signature.h"
#include "tests/host/TempDir.h"

namespace {

const char kAbcHash[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const char kKeyA[] = "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c";
const char kKeyB[] = "D75A980182B10AB7D54BFED3C964073A0EE172F3DAA62325AF021A68F707511A";

struct KeyPair {
    uint8_t publicKey[crypto_sign_ed25519_PUBLICKEYBYTES];
    uint8_t secretKey[crypto_sign_ed25519_SECRETKEYBYTES];
    explicit KeyPair(uint8_t seedByte)
    {
        uint8_t seed[crypto_sign_ed25519_SEEDBYTES];
        memset(seed, seedByte, sizeof seed);
        crypto_sign_ed25519_seed_keypair(publicKey, secretKey, seed);
    }
    std::string Sign(SignedKind kind, const std::string& text) const
    {
        std::vector<uint8_t> message = SignedMessage(kind, text.data(), text.size());
        uint8_t signature[kSignatureBytes];
        crypto_sign_ed25519_detached(signature, nullptr, message.data(), message.size(), secretKey);
        return SignatureFileText(signature);
    }
    std::string Hex() const { return HexFromBytes(publicKey, sizeof publicKey); }
};

std::string KeyBLowerCase()
{
    std::string lower = kKeyB;
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return lower;
}

int Verify(const PublisherKeys& keys, SignedKind kind, const std::string& text,
           const std::string& signature)
{
    return VerifySignedFile(keys, kind, text.data(), text.size(), signature.data(),
                            signature.size());
}

} // namespace

TEST(Sha256, KnownDigestsAndStreamingAgree)
{
    EXPECT_EQ(Sha256Hex(HashBytesSha256("abc", 3)), kAbcHash);
    EXPECT_EQ(Sha256Hex(HashBytesSha256("", 0)),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    Sha256Hasher hasher;
    hasher.Update("a", 1);
    hasher.Update("bc", 2);
    EXPECT_EQ(hasher.size(), 3u);
    EXPECT_EQ(Sha256Hex(hasher.Finish()), kAbcHash);
    EXPECT_EQ(hasher.size(), 0u);
}

TEST(Sha256, FileAcrossSeveralBlocksEqualsItsBytes)
{
    std::string dir = MakeTempDir("zr_sha");
    ASSERT_FALSE(dir.empty());
    std::string path = dir + "/big";
    std::vector<uint8_t> bytes((3u << 20) + 12345);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 13));
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    Sha256Digest digest;
    uint64_t size = 0;
    ASSERT_EQ(HashFileSha256(path.c_str(), digest, size), 1);
    EXPECT_EQ(size, bytes.size());
    EXPECT_EQ(digest, HashBytesSha256(bytes.data(), bytes.size()));
    EXPECT_EQ(HashFileSha256((dir + "/missing").c_str(), digest, size), 0);
    RemoveTempDir(dir);
}

TEST(Sha256, Ed25519KnownAnswerOfTheBuiltSources)
{
    // The first Ed25519 test vector of RFC 8032 (the empty message): the source list the
    // build compiles signs and verifies as the algorithm is defined.
    uint8_t seed[32], publicKey[32], secretKey[64], signature[64];
    ASSERT_EQ(BytesFromHex("9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60", 64,
                           seed, 32, false), 1);
    crypto_sign_ed25519_seed_keypair(publicKey, secretKey, seed);
    EXPECT_EQ(HexFromBytes(publicKey, 32), KeyBLowerCase());
    crypto_sign_ed25519_detached(signature, nullptr, nullptr, 0, secretKey);
    EXPECT_EQ(HexFromBytes(signature, 64),
              "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc6"
              "1e39701cf9b46bd25bf5f0595bbe24655141438e7a100b");
    EXPECT_EQ(crypto_sign_ed25519_verify_detached(signature, nullptr, 0, publicKey), 0);
}

TEST(PublisherKeys, EmptyOneAndTwoKeys)
{
    PublisherKeys keys;
    ASSERT_EQ(ParsePublisherKeys("", keys), 1);
    EXPECT_EQ(keys.count, 0);
    ASSERT_EQ(ParsePublisherKeys("  ", keys), 1);
    EXPECT_EQ(keys.count, 0);
    ASSERT_EQ(ParsePublisherKeys(kKeyA, keys), 1);
    EXPECT_EQ(keys.count, 1);
    EXPECT_EQ(HexFromBytes(keys.keys[0], kPublicKeyBytes), kKeyA);
    for (const char* separator : {";", ",", " ; "}) {
        std::string both = std::string(kKeyA) + separator + kKeyB;
        ASSERT_EQ(ParsePublisherKeys(both.c_str(), keys), 1) << separator;
        EXPECT_EQ(keys.count, 2);
        EXPECT_EQ(keys.keys[1][0], 0xd7);
        EXPECT_EQ(keys.keys[1][31], 0x1a);
    }
}

TEST(PublisherKeys, MalformedSettingsGiveNoKey)
{
    std::string a = kKeyA;
    const std::vector<std::string> bad = {
        a.substr(1),                      // 63 digits
        a + "0",                          // 65 digits
        "g" + a.substr(1),                // not hex
        a + ";",                          // empty second item
        ";" + a,                          // empty first item
        a + ";" + a + ";" + a,            // three keys
        a.substr(0, 32) + " " + a.substr(32),
    };
    for (const std::string& text : bad) {
        PublisherKeys keys;
        keys.count = 7;
        EXPECT_EQ(ParsePublisherKeys(text.c_str(), keys), 0) << text;
        EXPECT_EQ(keys.count, 0) << text;
    }
}

TEST(Signature, VerifiesUnderEitherKeyOnlyForItsKindAndBytes)
{
    KeyPair oldKey(1), newKey(2), otherKey(3);
    PublisherKeys keys;
    ASSERT_EQ(ParsePublisherKeys((oldKey.Hex() + ";" + newKey.Hex()).c_str(), keys), 1);
    const std::string text = "zr-manifest 1\nversion 1.0.1\n";
    EXPECT_EQ(Verify(keys, kSignedManifest, text, oldKey.Sign(kSignedManifest, text)), 1);
    EXPECT_EQ(Verify(keys, kSignedManifest, text, newKey.Sign(kSignedManifest, text)), 1);
    EXPECT_EQ(Verify(keys, kSignedManifest, text, otherKey.Sign(kSignedManifest, text)), 0);
    // A manifest's signature does not make the same bytes a valid catalogue.
    EXPECT_EQ(Verify(keys, kSignedCatalogue, text, oldKey.Sign(kSignedManifest, text)), 0);
    std::string flipped = text;
    flipped[5] ^= 1;
    EXPECT_EQ(Verify(keys, kSignedManifest, flipped, oldKey.Sign(kSignedManifest, text)), 0);
    EXPECT_EQ(Verify(PublisherKeys(), kSignedManifest, text, oldKey.Sign(kSignedManifest, text)), 0);
}

TEST(Signature, SignatureFileGrammar)
{
    KeyPair key(1);
    PublisherKeys keys;
    ASSERT_EQ(ParsePublisherKeys(key.Hex().c_str(), keys), 1);
    const std::string text = "\"1.0.1\"\n";
    std::string good = key.Sign(kSignedCatalogue, text);
    ASSERT_EQ(good.size(), 129u);
    EXPECT_EQ(Verify(keys, kSignedCatalogue, text, good), 1);
    EXPECT_EQ(Verify(keys, kSignedCatalogue, text, good.substr(0, 128)), 1);
    std::string upper = good;
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const std::vector<std::string> bad = {
        "", good.substr(0, 127), good.substr(0, 126) + "\n", good + "\n", good.substr(0, 128) + "\r\n",
        good.substr(0, 128) + " ", upper, std::string(64, '\x55'), "x" + good.substr(1),
    };
    for (const std::string& signature : bad)
        EXPECT_EQ(Verify(keys, kSignedCatalogue, text, signature), 0) << signature;
}
