#pragma once
// An independent model of how Windows resolves a relative path against the game
// directory, for the path properties of the fuzz targets. It errs on the side of
// "outside": whatever Windows might read as a way out counts as one.
#include <algorithm>
#include <string>
#include <vector>

namespace WindowsPathModel {

inline bool Separator(char c)
{
    return c == '\\' || c == '/';
}

inline std::string Upper(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

// A device whatever the extension and the blanks before it: "nul.txt", "COM1 .log".
inline bool IsDevice(const std::string& component)
{
    std::string base = Upper(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : kNames) {
        if (base == name)
            return true;
    }
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0)) {
        unsigned char d = static_cast<unsigned char>(base[3]);
        return (d >= '0' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
    }
    return false;
}

// The components left after Windows normalisation, or false when the path leaves
// the directory it is resolved against (or names a device, a drive, a stream, a
// server or a root).
inline bool Resolve(const std::string& path, std::vector<std::string>* components)
{
    components->clear();
    if (path.find(':') != std::string::npos)      // drive "C:x", stream "a:b"
        return false;
    if (!path.empty() && Separator(path[0]))      // "\x" root, "\\server", "\\?\"
        return false;
    std::string part;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !Separator(path[i])) {
            part += path[i];
            continue;
        }
        // Only dots and blanks with two dots or more may be read as the parent.
        bool onlyDots = part.find_first_not_of(". ") == std::string::npos;
        if (onlyDots && std::count(part.begin(), part.end(), '.') >= 2)
            return false;
        while (!part.empty() && (part.back() == '.' || part.back() == ' '))
            part.pop_back();
        if (!part.empty()) {
            if (IsDevice(part))
                return false;
            components->push_back(part);
        }
        part.clear();
    }
    return true;
}

// A file name: it must stay inside and name something below the directory.
inline bool FileStaysInside(const std::string& path)
{
    std::vector<std::string> parts;
    return Resolve(path, &parts) && !parts.empty();
}

// A directory: it may also be the directory itself.
inline bool DirectoryStaysInside(const std::string& path)
{
    std::vector<std::string> parts;
    return Resolve(path, &parts);
}

}  // namespace WindowsPathModel
