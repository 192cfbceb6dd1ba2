#pragma once
// An independent reading of a version text for the fuzz targets: parts split at dots
// (runs of dots are one separator), each read like atoi (blanks, a sign, digits) and
// kept modulo 256; a missing part is 0.
#include <string>

#include "app/VersionTriple.h"

namespace VersionModel {

// atoi's value modulo 2^32 (its low byte is the part's value).
inline unsigned LeadingValue(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    unsigned value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        value = value * 10u + static_cast<unsigned>(s[i] - '0');
    return negative ? 0u - value : value;
}

inline VersionTriple Parse(const std::string& text)
{
    std::string s = text.substr(0, text.find('\0'));
    unsigned char parts[3] = {0, 0, 0};
    int found = 0;
    size_t start = 0;
    while (found < 3 && start < s.size()) {
        size_t dot = s.find('.', start);
        std::string part = s.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (!part.empty())
            parts[found++] = static_cast<unsigned char>(LeadingValue(part) & 0xFF);
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    return VersionTriple{parts[0], parts[1], parts[2]};
}

inline bool Same(const VersionTriple& a, const VersionTriple& b)
{
    return a.major == b.major && a.minor == b.minor && a.patch == b.patch;
}

}  // namespace VersionModel
