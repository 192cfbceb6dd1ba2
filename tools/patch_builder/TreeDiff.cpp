#include "tools/patch_builder/TreeDiff.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "tools/patch_builder/FileSystem.h"

namespace {

int ScanDirectory(const std::string& root, const std::string& relative,
                  std::map<std::string, TreeEntry>& entries, std::string& error)
{
    std::string full = JoinPath(root, relative);
    DIR* dir = opendir(full.c_str());
    if (!dir) {
        error = "cannot read directory " + full + ": " + strerror(errno);
        return 0;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    }
    closedir(dir);

    for (const std::string& name : names) {
        std::string path = relative.empty() ? name : relative + "/" + name;
        struct stat info;
        if (lstat(JoinPath(root, path).c_str(), &info) != 0) {
            error = "cannot read " + JoinPath(root, path) + ": " + strerror(errno);
            return 0;
        }
        TreeEntry entry;
        if (S_ISDIR(info.st_mode)) {
            entry.isDirectory = true;
            entries[path] = entry;
            if (!ScanDirectory(root, path, entries, error))
                return 0;
        } else if (S_ISREG(info.st_mode)) {
            entry.size = static_cast<uint64_t>(info.st_size);
            entries[path] = entry;
        } else {
            error = JoinPath(root, path) +
                    " is not a plain file or directory (a link or a device); it cannot be shipped";
            return 0;
        }
    }
    return 1;
}

void SplitPath(const std::string& path, std::string& directory, std::string& name)
{
    size_t slash = path.rfind('/');
    directory = (slash == std::string::npos) ? std::string() : path.substr(0, slash);
    name = (slash == std::string::npos) ? path : path.substr(slash + 1);
}

} // namespace

int ScanTree(const std::string& root, std::map<std::string, TreeEntry>& entries,
             std::string& error)
{
    entries.clear();
    if (!IsDirectory(root)) {
        error = root + " is not a directory";
        return 0;
    }
    return ScanDirectory(root, std::string(), entries, error);
}

int DiffTrees(const std::string& oldRoot, const std::string& newRoot, TreeChanges& changes,
              std::string& error)
{
    changes = TreeChanges();
    std::map<std::string, TreeEntry> oldTree, newTree;
    if (!ScanTree(oldRoot, oldTree, error) || !ScanTree(newRoot, newTree, error))
        return 0;

    for (const auto& item : newTree) {
        const std::string& path = item.first;
        const TreeEntry& entry = item.second;
        auto old = oldTree.find(path);
        if (old != oldTree.end() && old->second.isDirectory != entry.isDirectory) {
            changes.conflicts.push_back(path);
            continue;
        }
        if (entry.isDirectory) {
            if (old == oldTree.end())
                changes.newDirectories.push_back(path);
            continue;
        }
        bool changed = (old == oldTree.end() || old->second.size != entry.size);
        if (!changed) {
            int same = 0;
            if (!SameFileContents(JoinPath(oldRoot, path), JoinPath(newRoot, path), same, error))
                return 0;
            changed = !same;
        }
        if (changed) {
            ChangedFile file;
            file.path = path;
            SplitPath(path, file.directory, file.name);
            file.size = entry.size;
            changes.files.push_back(file);
        }
    }
    for (const auto& item : oldTree) {
        if (!item.second.isDirectory && !newTree.count(item.first))
            changes.removed.push_back(item.first);
    }
    return 1;
}
