#include "patch/Sha256.h"

#include <cstdio>
#include <vector>

#include <sodium/crypto_hash_sha256.h>

#include "patch/HexText.h"

struct Sha256Hasher::State {
    crypto_hash_sha256_state sodium;
};

Sha256Hasher::Sha256Hasher() : state_(new State)
{
    crypto_hash_sha256_init(&state_->sodium);
}

Sha256Hasher::~Sha256Hasher() = default;

void Sha256Hasher::Update(const void* data, size_t size)
{
    crypto_hash_sha256_update(&state_->sodium, static_cast<const unsigned char*>(data), size);
    size_ += size;
}

Sha256Digest Sha256Hasher::Finish()
{
    Sha256Digest digest;
    crypto_hash_sha256_final(&state_->sodium, digest.data());
    crypto_hash_sha256_init(&state_->sodium);
    size_ = 0;
    return digest;
}

Sha256Digest HashBytesSha256(const void* data, size_t size)
{
    Sha256Digest digest;
    crypto_hash_sha256(digest.data(), static_cast<const unsigned char*>(data), size);
    return digest;
}

int HashFileSha256(const char* path, Sha256Digest& digest, uint64_t& size)
{
    enum { kBlockBytes = 1 << 20 };
    FILE* file = fopen(path, "rb");
    if (!file)
        return 0;
    std::vector<unsigned char> block(kBlockBytes);
    Sha256Hasher hasher;
    size_t got;
    while ((got = fread(block.data(), 1, block.size(), file)) > 0)
        hasher.Update(block.data(), got);
    int ok = !ferror(file);
    fclose(file);
    if (!ok)
        return 0;
    size = hasher.size();
    digest = hasher.Finish();
    return 1;
}

std::string Sha256Hex(const Sha256Digest& digest)
{
    return HexFromBytes(digest.data(), digest.size());
}
