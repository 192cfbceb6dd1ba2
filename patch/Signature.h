#pragma once
// Detached Ed25519 signatures of the catalogue and of each version's manifest.
//
// A signature file holds exactly 128 lower-case hex digits (the 64-byte signature),
// optionally followed by one line feed; anything else is refused. What is signed is
// the file's exact bytes behind a short prefix naming the kind of file, so a signed
// manifest can never pass as a signed catalogue or the other way round.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "patch/PublisherKeys.h"

// A signature file larger than kMaxSignatureFileBytes is not read at all.
enum { kSignatureBytes = 64, kSignatureHexChars = 128, kMaxSignatureFileBytes = 4096 };

enum SignedKind {
    kSignedCatalogue,
    kSignedManifest,
};

// Suffix of a signature file: "manifest.txt" is signed by "manifest.txt.sig".
extern const char kSignatureSuffix[];   // ".sig"

// The bytes a signature covers: the kind's prefix followed by `data`.
std::vector<uint8_t> SignedMessage(SignedKind kind, const void* data, size_t size);

// 1 with `signature` when `text` is a well-formed signature file, else 0.
int ParseSignatureFile(const void* text, size_t size, uint8_t signature[kSignatureBytes]);

std::string SignatureFileText(const uint8_t signature[kSignatureBytes]);

// 1 when the signature file is well formed and verifies `data` under one of the keys;
// 0 otherwise, and always 0 without a key.
int VerifySignedFile(const PublisherKeys& keys, SignedKind kind, const void* data, size_t size,
                     const void* signatureFile, size_t signatureFileSize);
