#include "patch/HexText.h"

#include <cstring>

namespace {

int DigitValue(char c, bool anyCase)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (anyCase && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string HexFromBytes(const uint8_t* bytes, size_t count)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text(count * 2, '0');
    for (size_t i = 0; i < count; ++i) {
        text[2 * i] = kDigits[bytes[i] >> 4];
        text[2 * i + 1] = kDigits[bytes[i] & 15];
    }
    return text;
}

int BytesFromHex(const char* text, size_t textLength, uint8_t* bytes, size_t count,
                 bool anyCase)
{
    memset(bytes, 0, count);
    if (textLength != 2 * count)
        return 0;
    for (size_t i = 0; i < count; ++i) {
        int high = DigitValue(text[2 * i], anyCase);
        int low = DigitValue(text[2 * i + 1], anyCase);
        if (high < 0 || low < 0) {
            memset(bytes, 0, count);
            return 0;
        }
        bytes[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return 1;
}
