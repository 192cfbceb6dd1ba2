#pragma once
// Knows the newest version of one catalogue file and rereads the file whenever it
// changes on disk, so publishing a version needs no restart of the server.
#include <memory>
#include <string>

#include "app/VersionTriple.h"

struct PatchSession;

class CatalogueWatcher {
public:
    explicit CatalogueWatcher(const std::string& path);
    ~CatalogueWatcher();
    CatalogueWatcher(const CatalogueWatcher&) = delete;
    CatalogueWatcher& operator=(const CatalogueWatcher&) = delete;

    // Rereads the file when its identity, size or modification time changed since the
    // last read. Returns 1 when a newest version is known (from this read or, when the
    // file has become unreadable, from the last good read), 0 when none was ever read.
    // `problem` is set when this call found the file unreadable.
    int Refresh(std::string& problem);

    // Newest (highest) version of the last good read; 0 for an empty catalogue.
    PackedVersion Latest() const { return latest_; }
    const std::string& Path() const { return path_; }

private:
    int Reread(std::string& problem);

    std::string path_;
    std::unique_ptr<PatchSession> table_;   // holds the version table while reading
    PackedVersion latest_ = 0;
    bool known_ = false;
    // Identity of the file last read: device, inode, size, modification time.
    unsigned long long device_ = 0, inode_ = 0, size_ = 0;
    long long mtimeSec_ = -1, mtimeNsec_ = -1;
};
