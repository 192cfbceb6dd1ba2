#pragma once
// The client version as three bytes, its packed integer form and its text forms.
#include <cstddef>
#include <cstdint>

struct VersionTriple {
    unsigned char major;
    unsigned char minor;
    unsigned char patch;
};

// major * 65536 + minor * 256 + patch; versions are ordered by this value.
typedef int32_t PackedVersion;

PackedVersion PackVersion(const VersionTriple& v);
// The three bytes of a packed version (bits above the 24 low ones are dropped).
VersionTriple UnpackVersion(PackedVersion packed);

// Splits the text at '.' (runs of dots count as one separator); each of the first
// three parts is read like atoi (leading digits, 0 when none) and kept modulo 256.
// A missing part gives 0. Never reads past the terminating NUL.
VersionTriple ParseVersionText(const char* text);

// Decimal value of the leading digits of a text, as atoi reads it, without overflow:
// the value wraps modulo 2^32, so its low eight bits are always those of the number.
int LeadingNumber(const char* text);

// "%d.%02d.%02d", the form stored in config.ini (1.02.05).
void FormatVersionStored(const VersionTriple& v, char* out, size_t outSize);
// "%d.%d.%d", the form of the patch log's version line (1.2.5).
void FormatVersionPlain(const VersionTriple& v, char* out, size_t outSize);
