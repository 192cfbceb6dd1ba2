#include "app/VersionTriple.h"

#include <cstdio>

PackedVersion PackVersion(const VersionTriple& v)
{
    return v.major * 65536 + v.minor * 256 + v.patch;
}

int LeadingNumber(const char* text)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

VersionTriple ParseVersionText(const char* text)
{
    unsigned char parts[3] = {0, 0, 0};
    int found = 0;
    const char* p = text;
    while (*p && found < 3) {
        while (*p == '.')
            ++p;
        if (!*p)
            break;
        parts[found++] = static_cast<unsigned char>(LeadingNumber(p) & 0xFF);
        while (*p && *p != '.')
            ++p;
    }
    return VersionTriple{parts[0], parts[1], parts[2]};
}

void FormatVersionStored(const VersionTriple& v, char* out, size_t outSize)
{
    snprintf(out, outSize, "%d.%02d.%02d", v.major, v.minor, v.patch);
}

void FormatVersionPlain(const VersionTriple& v, char* out, size_t outSize)
{
    snprintf(out, outSize, "%d.%d.%d", v.major, v.minor, v.patch);
}

VersionTriple UnpackVersion(PackedVersion packed)
{
    VersionTriple v;
    v.major = static_cast<unsigned char>((packed >> 16) & 0xFF);
    v.minor = static_cast<unsigned char>((packed >> 8) & 0xFF);
    v.patch = static_cast<unsigned char>(packed & 0xFF);
    return v;
}
