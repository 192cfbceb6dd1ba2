#include "tools/patch_builder/CatalogueFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "patch/ListScanner.h"

int ReadCatalogue(const std::string& path, std::vector<CatalogueVersion>& versions,
                  std::string& error)
{
    versions.clear();
    ListScanner scanner;
    if (!scanner.Open(path.c_str())) {
        error = "cannot read the catalogue " + path + ": " + strerror(errno);
        return 0;
    }
    for (int token = scanner.ScanToken(); token != kTokenEnd; token = scanner.ScanToken()) {
        if (token != kTokenName)
            continue;
        if (scanner.tokenCut) {
            error = "the catalogue " + path + " holds a name longer than 99 characters";
            return 0;
        }
        CatalogueVersion version;
        version.name = scanner.tokenText;
        version.packed = PackVersion(ParseVersionText(scanner.tokenText));
        versions.push_back(version);
    }
    return 1;
}

std::string AppendToCatalogueText(const std::string& existing, const std::string& name)
{
    std::string text = existing;
    if (text.empty())
        text = "// Version catalogue: one quoted version per line, oldest first.\n"
               "// Written by zr-patch-builder; versions must keep increasing.\n";
    if (text.back() != '\n')
        text += '\n';
    text += "\"" + name + "\"\n";
    return text;
}

std::string PackedVersionText(PackedVersion packed)
{
    char text[16];
    snprintf(text, sizeof(text), "%d.%d.%d", (packed >> 16) & 0xFF, (packed >> 8) & 0xFF,
             packed & 0xFF);
    return text;
}
