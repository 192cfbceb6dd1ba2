#include "tools/patch_builder/LauncherLimits.h"

#include "patch/PathCheck.h"

std::string ToLauncherPath(const std::string& path)
{
    std::string out = path;
    for (char& c : out) {
        if (c == '/')
            c = '\\';
    }
    return out;
}

std::string AsciiLower(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

int IsValidSuffix(const std::string& suffix)
{
    if (suffix.size() != kSuffixChars || suffix[0] != '.')
        return 0;
    for (size_t i = 1; i < suffix.size(); ++i) {
        if (suffix[i] == '.' || suffix[i] == '/' || suffix[i] == '\\' || suffix[i] == ' ')
            return 0;
    }
    return IsSafeRelativePath(("x" + suffix).c_str());
}
