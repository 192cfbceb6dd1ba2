#pragma once
// The publisher's key files.
//
// The secret key file holds "zr-secret-key 1" and the 32-byte Ed25519 seed as 64 hex
// digits, one per line; it is created with mode 0600 and never replaced. Beside it,
// KEY.pub holds the public key as 64 hex digits, the form the launcher's build and
// `verify --key` take.
#include <cstdint>
#include <string>

#include "patch/PublisherKeys.h"

enum { kSecretKeyBytes = 64 };

struct SecretKey {
    uint8_t bytes[kSecretKeyBytes] = {};   // libsodium's form: seed, then public key
    ~SecretKey();
};

// Makes a new key pair from the system's random source and writes KEY and KEY.pub;
// refuses (0 with `error`) when either file exists. `publicHex` gets the public key.
int GenerateKeyFiles(const std::string& secretPath, std::string& publicHex, std::string& error);

// Reads a secret key file; warns on `warning` when others may read it.
int LoadSecretKey(const std::string& path, SecretKey& key, std::string& warning,
                  std::string& error);

// Keys given on the command line: one or two hex keys separated by ';' or ',' (as for
// the launcher's build), or the path of a KEY.pub file.
int LoadPublicKeys(const std::string& text, PublisherKeys& keys, std::string& error);

// The public key hex of a secret key.
std::string PublicKeyHex(const SecretKey& key);
