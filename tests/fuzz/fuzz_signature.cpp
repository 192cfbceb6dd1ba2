// Fuzz target: detached signatures (ParseSignatureFile, VerifySignedFile), the
// publisher key setting (ParsePublisherKeys) and the hex text under both.
//
// The input is read three ways. As a signature file and as a key setting it must be
// accepted exactly when an independent reading of the documented form accepts it, with
// the same bytes. As a message it is signed with a fixed test key by libsodium's own
// crypto_sign_detached (the oracle): the launcher must verify that signature, and
// refuse it for the other kind of file, without the key, and after any one bit of the
// message or of the signature is flipped (the last two input bytes choose the bit).
// A signature file of fuzzed bytes must verify exactly when libsodium says it does.
#include <cstring>
#include <string>
#include <vector>

#include <sodium/crypto_sign_ed25519.h>

#include "patch/HexText.h"
#include "patch/PublisherKeys.h"
#include "patch/Signature.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

int Nibble(char c, bool anyCase)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return anyCase && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Exactly 2 * bytes hex digits, decoded; empty when they are not.
std::vector<uint8_t> ModelHex(const std::string& text, size_t bytes, bool anyCase)
{
    std::vector<uint8_t> out;
    if (text.size() != 2 * bytes)
        return out;
    for (size_t i = 0; i < bytes; ++i) {
        int high = Nibble(text[2 * i], anyCase), low = Nibble(text[2 * i + 1], anyCase);
        if (high < 0 || low < 0)
            return {};
        out.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return out;
}

// 128 lower-case hex digits, optionally one line feed.
std::vector<uint8_t> ModelSignature(std::string text)
{
    if (text.size() == kSignatureHexChars + 1 && text.back() == '\n')
        text.pop_back();
    return ModelHex(text, kSignatureBytes, false);
}

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// Blank: no key; else one or two keys of 64 hex digits (any case), ';' or ','
// between them, blanks around each. Returns false for anything else.
bool ModelKeys(const std::string& text, std::vector<std::vector<uint8_t>>& keys)
{
    keys.clear();
    if (Trim(text).empty())
        return true;
    for (size_t start = 0;;) {
        size_t end = text.find_first_of(";,", start);
        std::vector<uint8_t> key = ModelHex(Trim(text.substr(start, end - start)), 32, true);
        if (key.empty() || keys.size() == kMaxPublisherKeys)
            return false;
        keys.push_back(key);
        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}

void CheckTexts(const std::string& input)
{
    uint8_t signature[kSignatureBytes];
    std::vector<uint8_t> want = ModelSignature(input);
    FUZZ_CHECK(ParseSignatureFile(input.data(), input.size(), signature) == !want.empty());
    if (!want.empty()) {
        FUZZ_CHECK(memcmp(signature, want.data(), kSignatureBytes) == 0);
        FUZZ_CHECK(SignatureFileText(signature) == input.substr(0, kSignatureHexChars) + "\n");
    }
    std::string setting = input.substr(0, input.find('\0'));
    std::vector<std::vector<uint8_t>> keys;
    bool valid = ModelKeys(setting, keys);
    PublisherKeys parsed;
    FUZZ_CHECK(ParsePublisherKeys(setting.c_str(), parsed) == (valid ? 1 : 0));
    FUZZ_CHECK(parsed.count == static_cast<int>(valid ? keys.size() : 0));
    for (int i = 0; i < parsed.count; ++i)
        FUZZ_CHECK(memcmp(parsed.keys[i], keys[static_cast<size_t>(i)].data(), kPublicKeyBytes) == 0);
    // Any byte string survives the trip through hex text.
    std::string hex = HexFromBytes(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    std::vector<uint8_t> back(input.size() + 1);
    FUZZ_CHECK(BytesFromHex(hex.data(), hex.size(), back.data(), input.size(), false) == 1);
    FUZZ_CHECK(memcmp(back.data(), input.data(), input.size()) == 0);
}

struct TestKey {
    uint8_t secret[crypto_sign_ed25519_SECRETKEYBYTES];
    PublisherKeys keys;   // the test key after another key, as while rotating
    TestKey()
    {
        uint8_t seed[crypto_sign_ed25519_SEEDBYTES], other[crypto_sign_ed25519_SECRETKEYBYTES];
        memset(seed, 7, sizeof seed);
        crypto_sign_ed25519_seed_keypair(keys.keys[1], secret, seed);
        memset(seed, 9, sizeof seed);
        crypto_sign_ed25519_seed_keypair(keys.keys[0], other, seed);
        keys.count = 2;
    }
};

void CheckSigning(const std::string& message, SignedKind kind, uint16_t flip)
{
    static const TestKey key;
    std::vector<uint8_t> signed_ = SignedMessage(kind, message.data(), message.size());
    uint8_t signature[kSignatureBytes];
    FUZZ_CHECK(crypto_sign_ed25519_detached(signature, nullptr, signed_.data(), signed_.size(),
                                            key.secret) == 0);
    std::string file = SignatureFileText(signature);
    auto verify = [&](const PublisherKeys& keys, SignedKind k, const std::string& m,
                      const std::string& f) {
        return VerifySignedFile(keys, k, m.data(), m.size(), f.data(), f.size());
    };
    FUZZ_CHECK(verify(key.keys, kind, message, file) == 1);
    FUZZ_CHECK(verify(key.keys, kind, message, file.substr(0, kSignatureHexChars)) == 1);
    SignedKind other = kind == kSignedCatalogue ? kSignedManifest : kSignedCatalogue;
    FUZZ_CHECK(verify(key.keys, other, message, file) == 0);
    FUZZ_CHECK(verify(PublisherKeys(), kind, message, file) == 0);
    PublisherKeys onlyOther = key.keys;
    onlyOther.count = 1;
    FUZZ_CHECK(verify(onlyOther, kind, message, file) == 0);

    size_t bit = flip % (8 * (message.size() + kSignatureBytes));
    std::string badMessage = message;
    if (bit < 8 * message.size()) {
        badMessage[bit / 8] = static_cast<char>(badMessage[bit / 8] ^ (1 << (bit % 8)));
    } else {
        bit -= 8 * message.size();
        signature[bit / 8] = static_cast<uint8_t>(signature[bit / 8] ^ (1 << (bit % 8)));
    }
    FUZZ_CHECK(verify(key.keys, kind, badMessage, SignatureFileText(signature)) == 0);

    // Fuzzed bytes as the signature file of this message: libsodium decides.
    std::vector<uint8_t> fuzzed = ModelSignature(message);
    int want = !fuzzed.empty() && crypto_sign_ed25519_verify_detached(
                                      fuzzed.data(), signed_.data(), signed_.size(),
                                      key.keys.keys[1]) == 0;
    FUZZ_CHECK(verify(key.keys, kind, message, message) == want);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    CheckTexts(input);
    uint16_t flip = size >= 2 ? static_cast<uint16_t>(data[size - 2] << 8 | data[size - 1]) : 0;
    SignedKind kind = size && (data[0] & 1) ? kSignedCatalogue : kSignedManifest;
    CheckSigning(input, kind, flip);
    return 0;
}
