#pragma once
// The publisher's public keys compiled into the launcher (the ZR_PUBLISHER_KEYS build
// setting): none, or one or two Ed25519 keys as 64 hex digits each, separated by ';'
// or ','. Two keys let a publisher rotate: a launcher built with the old and the new
// key accepts releases signed by either.
#include <cstdint>

enum { kPublicKeyBytes = 32, kMaxPublisherKeys = 2 };

struct PublisherKeys {
    int count = 0;   // 0: a keyless launcher
    uint8_t keys[kMaxPublisherKeys][kPublicKeyBytes] = {};
};

// Parses the setting. Blanks around each key are ignored; an empty or all-blank text
// gives no key. Returns 0, with `keys.count` 0, for an empty item, more than two keys,
// or a key that is not exactly 64 hex digits.
int ParsePublisherKeys(const char* text, PublisherKeys& keys);
