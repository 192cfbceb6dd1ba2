#include "patch/PathNormalise.h"

#include <cstring>

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsStripped(char c)
{
    return c == '.' || c == ' ';
}

// End of the component [begin, end) once trailing dots and blanks are stripped; end
// itself when the component is made of nothing else (kept for the check to refuse).
const char* StrippedEnd(const char* begin, const char* end)
{
    const char* stripped = end;
    while (stripped > begin && IsStripped(stripped[-1]))
        --stripped;
    return stripped == begin ? end : stripped;
}

} // namespace

int NormaliseListPath(const char* path, char* out, size_t outSize)
{
    if (!out || outSize == 0)
        return 0;
    out[0] = '\0';
    if (!path)
        return 0;
    size_t length = strlen(path);
    if (length >= outSize)
        return 0;
    if (IsSeparator(path[0])) {
        memcpy(out, path, length + 1);
        return 1;
    }

    char* written = out;
    char separator = '\0';  // the one that ended the last component written
    const char* begin = path;
    const char* end = path + length;
    while (begin < end) {
        const char* stop = begin;
        while (stop < end && !IsSeparator(*stop))
            ++stop;
        if (stop > begin) {
            if (separator)
                *written++ = separator;
            const char* kept = StrippedEnd(begin, stop);
            memcpy(written, begin, static_cast<size_t>(kept - begin));
            written += kept - begin;
            separator = stop < end ? *stop : '\0';
        }
        begin = stop + 1;
    }
    *written = '\0';
    return 1;
}
