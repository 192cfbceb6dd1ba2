#include "patch/PathCheck.h"

#include <cstring>

namespace {

const size_t kMaxPathBytes = 259;

bool IsSeparator(unsigned char c)
{
    return c == '\\' || c == '/';
}

bool IsForbiddenByte(unsigned char c)
{
    return c < 0x20 || c == ':' || c == '<' || c == '>' || c == '"' || c == '|' ||
           c == '?' || c == '*';
}

unsigned char AsciiUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Compares the bytes [begin, end) with an upper-case ASCII word, ignoring case.
bool EqualsIgnoringCase(const unsigned char* begin, const unsigned char* end,
                        const char* word)
{
    size_t length = static_cast<size_t>(end - begin);
    if (length != strlen(word))
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (AsciiUpper(begin[i]) != static_cast<unsigned char>(word[i]))
            return false;
    }
    return true;
}

// Digits Windows accepts after COM and LPT: 0-9 and the ANSI superscripts 1, 2, 3.
bool IsDevicePortDigit(unsigned char c)
{
    return (c >= '0' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
}

// Windows maps a component to a device when the part before its first dot, less
// trailing blanks, is a device name; the extension does not matter.
bool NamesDevice(const unsigned char* begin, const unsigned char* end)
{
    const unsigned char* baseEnd = begin;
    while (baseEnd < end && *baseEnd != '.')
        ++baseEnd;
    while (baseEnd > begin && baseEnd[-1] == ' ')
        --baseEnd;

    static const char* const kPlainDevices[] = {"CON", "PRN", "AUX", "NUL",
                                                "CONIN$", "CONOUT$"};
    for (const char* device : kPlainDevices) {
        if (EqualsIgnoringCase(begin, baseEnd, device))
            return true;
    }
    if (baseEnd - begin == 4 && IsDevicePortDigit(begin[3]) &&
        (EqualsIgnoringCase(begin, begin + 3, "COM") ||
         EqualsIgnoringCase(begin, begin + 3, "LPT")))
        return true;
    return false;
}

bool IsSafeComponent(const unsigned char* begin, const unsigned char* end)
{
    if (begin == end)
        return false;
    if (end[-1] == '.' || end[-1] == ' ')
        return false;
    return !NamesDevice(begin, end);
}

} // namespace

int IsSafeRelativePath(const char* path)
{
    if (!path)
        return 0;
    size_t length = strlen(path);
    if (length == 0 || length > kMaxPathBytes)
        return 0;

    const unsigned char* p = reinterpret_cast<const unsigned char*>(path);
    const unsigned char* end = p + length;
    for (const unsigned char* q = p; q < end; ++q) {
        if (IsForbiddenByte(*q))
            return 0;
    }

    // A leading separator gives an empty first component: absolute, UNC and device
    // paths all end up here.
    const unsigned char* componentStart = p;
    for (const unsigned char* q = p; q <= end; ++q) {
        if (q == end || IsSeparator(*q)) {
            if (!IsSafeComponent(componentStart, q))
                return 0;
            componentStart = q + 1;
        }
    }
    return 1;
}

int IsSafeRelativeDirectory(const char* dir)
{
    if (!dir)
        return 0;
    if (dir[0] == '\0')
        return 1;
    return IsSafeRelativePath(dir);
}
