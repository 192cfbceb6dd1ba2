#include "tools/patch_builder/CatalogueFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "patch/CatalogueReader.h"

int ReadCatalogue(const std::string& path, std::vector<CatalogueVersion>& versions,
                  std::string& error)
{
    versions.clear();
    CatalogueReader reader;
    if (!reader.Open(path.c_str())) {
        error = "cannot read the catalogue " + path + ": " + strerror(errno);
        return 0;
    }
    while (reader.Next()) {
        if (reader.Cut()) {
            error = "the catalogue " + path + " holds a name longer than 99 characters";
            return 0;
        }
        CatalogueVersion version;
        version.name = reader.Name();
        version.packed = PackVersion(reader.Version());
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
    FormatVersionPlain(UnpackVersion(packed), text, sizeof text);
    return text;
}
