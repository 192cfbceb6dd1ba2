#include "patch/Signature.h"

#include <cstring>

#include <sodium/crypto_sign_ed25519.h>

#include "patch/HexText.h"

const char kSignatureSuffix[] = ".sig";

namespace {

const char* Prefix(SignedKind kind)
{
    return kind == kSignedCatalogue ? "zr-signed catalogue\n" : "zr-signed manifest\n";
}

} // namespace

std::vector<uint8_t> SignedMessage(SignedKind kind, const void* data, size_t size)
{
    const char* prefix = Prefix(kind);
    std::vector<uint8_t> message(prefix, prefix + strlen(prefix));
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    message.insert(message.end(), bytes, bytes + size);
    return message;
}

int ParseSignatureFile(const void* text, size_t size, uint8_t signature[kSignatureBytes])
{
    const char* chars = static_cast<const char*>(text);
    if (size == kSignatureHexChars + 1 && chars[kSignatureHexChars] == '\n')
        --size;
    return BytesFromHex(chars, size, signature, kSignatureBytes, false);
}

std::string SignatureFileText(const uint8_t signature[kSignatureBytes])
{
    return HexFromBytes(signature, kSignatureBytes) + "\n";
}

int VerifySignedFile(const PublisherKeys& keys, SignedKind kind, const void* data, size_t size,
                     const void* signatureFile, size_t signatureFileSize)
{
    uint8_t signature[kSignatureBytes];
    if (keys.count == 0 || !ParseSignatureFile(signatureFile, signatureFileSize, signature))
        return 0;
    std::vector<uint8_t> message = SignedMessage(kind, data, size);
    for (int i = 0; i < keys.count; ++i) {
        if (crypto_sign_ed25519_verify_detached(signature, message.data(), message.size(),
                                                keys.keys[i]) == 0)
            return 1;
    }
    return 0;
}
