#pragma once
// Compares the old and the new client tree byte by byte and lists what a version
// must ship. Relative paths use '/' here; the list writer turns them into the
// launcher's backslash form.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct TreeEntry {
    bool isDirectory = false;
    uint64_t size = 0;
};

// Every file and directory below `root`, by relative path. Anything that is neither
// a plain file nor a directory (symbolic links, devices) is refused.
int ScanTree(const std::string& root, std::map<std::string, TreeEntry>& entries,
             std::string& error);

struct ChangedFile {
    std::string path;        // relative path, '/'-separated
    std::string directory;   // its directory, "" for the game directory
    std::string name;        // bare file name
    uint64_t size = 0;
};

struct TreeChanges {
    std::vector<ChangedFile> files;           // new or changed, sorted by path
    std::vector<std::string> newDirectories;  // directories only the new tree has
    std::vector<std::string> removed;         // files only the old tree has
    std::vector<std::string> conflicts;       // a file in one tree, a directory in the other
};

int DiffTrees(const std::string& oldRoot, const std::string& newRoot, TreeChanges& changes,
              std::string& error);
