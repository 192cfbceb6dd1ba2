#pragma once
// SHA-256 of byte strings and files, through libsodium.
//
// The engine hashes every fetched file before it is logged, so HashFileSha256 reads in
// large blocks (1 MiB): the hash then costs far less than the transfer. Sha256Hasher
// lets a caller hash bytes as it writes them instead of reading the file again.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

enum { kSha256Bytes = 32 };
using Sha256Digest = std::array<uint8_t, kSha256Bytes>;

class Sha256Hasher {
public:
    Sha256Hasher();
    ~Sha256Hasher();
    Sha256Hasher(const Sha256Hasher&) = delete;
    Sha256Hasher& operator=(const Sha256Hasher&) = delete;

    void Update(const void* data, size_t size);
    // The digest of everything given so far; the hasher starts again afterwards.
    Sha256Digest Finish();
    uint64_t size() const { return size_; }

private:
    struct State;
    std::unique_ptr<State> state_;
    uint64_t size_ = 0;
};

Sha256Digest HashBytesSha256(const void* data, size_t size);

// Hashes the whole file at `path` (a byte string, as the file calls take it). 1 with
// `digest` and `size`, 0 when the file cannot be opened or read to its end.
int HashFileSha256(const char* path, Sha256Digest& digest, uint64_t& size);

std::string Sha256Hex(const Sha256Digest& digest);
