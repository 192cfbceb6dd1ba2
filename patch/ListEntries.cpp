#include "patch/ListEntries.h"

#include "patch/ListReader.h"

int CollectListPaths(const char* listPath, std::vector<std::string>& paths,
                     std::vector<std::string>* names)
{
    paths.clear();
    if (names)
        names->clear();
    ListReader reader;
    if (!reader.Open(listPath))
        return 0;
    std::string directory;
    for (int kind = reader.Next(); kind != kListEnd; kind = reader.Next()) {
        if (kind != kListFile && kind != kListDirectory)
            continue;
        if (reader.Cut())
            return 0;
        if (kind == kListDirectory) {
            directory = reader.Text();
            continue;
        }
        paths.push_back(directory.empty() ? std::string(reader.Text())
                                          : directory + "\\" + reader.Text());
        if (names)
            names->push_back(reader.Text());
    }
    return 1;
}
