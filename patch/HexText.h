#pragma once
// Lower-case hexadecimal text of byte strings, as the manifest, the signature files
// and the key files write them.
#include <cstddef>
#include <cstdint>
#include <string>

std::string HexFromBytes(const uint8_t* bytes, size_t count);

// Reads exactly 2 * count hex digits from `text` into `bytes`. With `anyCase` upper-case
// digits are accepted too (keys typed by people); otherwise only 0-9 and a-f. 1 or 0;
// on 0 `bytes` is left zeroed.
int BytesFromHex(const char* text, size_t textLength, uint8_t* bytes, size_t count,
                 bool anyCase);
