#include "tools/connect_server/CatalogueWatcher.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "app/PatchSession.h"
#include "patch/Catalogue.h"

CatalogueWatcher::CatalogueWatcher(const std::string& path)
    : path_(path), table_(new PatchSession())
{
}

CatalogueWatcher::~CatalogueWatcher() = default;

int CatalogueWatcher::Refresh(std::string& problem)
{
    problem.clear();
    struct stat info;
    if (stat(path_.c_str(), &info) != 0) {
        problem = "catalogue " + path_ + " cannot be read: " + strerror(errno);
        mtimeSec_ = -1;   // reread as soon as it is back
        return known_ ? 1 : 0;
    }
    bool same = known_ && info.st_dev == device_ && info.st_ino == inode_ &&
                static_cast<unsigned long long>(info.st_size) == size_ &&
                info.st_mtim.tv_sec == mtimeSec_ && info.st_mtim.tv_nsec == mtimeNsec_;
    if (same)
        return 1;
    if (!Reread(problem))
        return known_ ? 1 : 0;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    size_ = static_cast<unsigned long long>(info.st_size);
    mtimeSec_ = info.st_mtim.tv_sec;
    mtimeNsec_ = info.st_mtim.tv_nsec;
    return 1;
}

// The patch builder appends versions in increasing order, so the newest is the last
// one; the highest is taken all the same, so that a hand-edited catalogue out of
// order never makes the server call a client current while a newer version exists.
int CatalogueWatcher::Reread(std::string& problem)
{
    int result = ParseCatalogueFile(path_.c_str(), *table_);
    if (result == kCatalogueUnreadable) {
        problem = "catalogue " + path_ + " is unreadable or names a version longer than 8 characters";
        return 0;
    }
    if (result == kCatalogueTooMany) {
        problem = "catalogue " + path_ + " lists 1000 versions or more";
        return 0;
    }
    PackedVersion newest = 0;
    for (int i = 0; i < table_->versionCount; ++i) {
        if (table_->versions[i].packed > newest)
            newest = table_->versions[i].packed;
    }
    latest_ = newest;
    known_ = true;
    return 1;
}
