#include "patch/PublisherKeys.h"

#include <cstring>

#include "patch/HexText.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

int ParseOneKey(const char* begin, const char* end, uint8_t* key)
{
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
    return BytesFromHex(begin, static_cast<size_t>(end - begin), key, kPublicKeyBytes, true);
}

} // namespace

int ParsePublisherKeys(const char* text, PublisherKeys& keys)
{
    keys = PublisherKeys();
    const char* p = text;
    while (IsBlank(*p))
        ++p;
    if (!*p)
        return 1;
    PublisherKeys parsed;
    for (;;) {
        const char* end = p + strcspn(p, ";,");
        if (parsed.count == kMaxPublisherKeys || !ParseOneKey(p, end, parsed.keys[parsed.count]))
            return 0;
        ++parsed.count;
        if (!*end)
            break;
        p = end + 1;
    }
    keys = parsed;
    return 1;
}
