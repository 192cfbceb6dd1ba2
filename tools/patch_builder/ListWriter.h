#pragma once
// Writes a version's "list.inf": a comment header, the tags, the files of the game
// directory, then one directory switch per directory level (parents before their
// children, since the launcher creates only the last level of a switched directory),
// each followed by the files that go there. Every name is quoted.
#include <string>
#include <vector>

#include "tools/patch_builder/TreeDiff.h"

struct ListOptions {
    std::string versionText;   // for the comment header
    std::string suffix;        // appended to every stored name; empty when not compressed
    bool testServer = false;
};

// `directories` are further directories to create even when no file goes there.
std::string BuildListText(const std::vector<ChangedFile>& files,
                          const std::vector<std::string>& directories, const ListOptions& options);

// "data/sound" gives "data" and "data/sound".
std::vector<std::string> DirectoryLevels(const std::string& directory);
