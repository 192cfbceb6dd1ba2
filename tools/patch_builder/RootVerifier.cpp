#include "tools/patch_builder/RootVerifier.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <set>

#include "patch/ListFile.h"
#include "patch/ListReader.h"
#include "patch/PathCheck.h"
#include "tools/patch_builder/Bzip2File.h"
#include "tools/patch_builder/CatalogueFile.h"
#include "tools/patch_builder/FileSystem.h"
#include "tools/patch_builder/LauncherLimits.h"

namespace {

class VersionChecker {
public:
    VersionChecker(const std::string& directory, const std::string& label,
                   std::vector<std::string>& problems)
        : directory_(directory), label_(label), problems_(problems) {}

    void Run();

private:
    void Problem(const std::string& what) { problems_.push_back(label_ + ": " + what); }
    void CheckEntryCount();
    void ReportBadSwitch();
    void SwitchDirectory(const ListReader& reader);
    void CheckFile(const std::string& name);

    std::string directory_;
    std::string label_;
    std::vector<std::string>& problems_;
    bool compressed_ = false;
    std::string current_;                 // current directory, launcher form
    std::set<std::string> created_{""};   // directories the list has created so far
    std::map<std::string, std::string> storedNames_;   // lower case -> as listed
};

void VersionChecker::CheckEntryCount()
{
    DIR* dir = opendir(directory_.c_str());
    if (!dir) {
        Problem("the version directory cannot be read");
        return;
    }
    size_t count = 0;
    while (dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            ++count;
    }
    closedir(dir);
    if (count > kMaxVersionDirEntries)
        Problem("the version directory holds " + std::to_string(count) +
                " entries; the launcher finds only the first 999");
}

void VersionChecker::ReportBadSwitch()
{
    Problem("a directory switch is not followed by a quoted directory name "
            "(a number directly before a quote swallows the quote)");
}

void VersionChecker::SwitchDirectory(const ListReader& reader)
{
    if (reader.Token() != kTokenName) {
        ReportBadSwitch();
        return;
    }
    std::string dir = reader.Text();
    if (reader.Cut())
        Problem("directory \"" + dir + "...\" is longer than 99 characters");
    if (!IsSafeRelativeDirectory(dir.c_str()))
        Problem("directory \"" + dir + "\" fails the launcher's path check");
    size_t slash = dir.find_last_of("\\/");
    std::string parent = (slash == std::string::npos) ? std::string() : dir.substr(0, slash);
    if (!created_.count(parent))
        Problem("directory \"" + dir + "\" is switched to before its parent \"" + parent +
                "\"; the launcher creates only the last level");
    created_.insert(dir);
    current_ = dir;
}

void VersionChecker::CheckFile(const std::string& name)
{
    std::string relative = current_.empty() ? name : current_ + "\\" + name;
    std::string shown = "\"" + relative + "\"";
    if (!IsSafeRelativePath(relative.c_str()))
        Problem(shown + " fails the launcher's path check");
    if (compressed_) {
        if (name.size() <= kSuffixChars || name[name.size() - kSuffixChars] != '.')
            Problem(shown + " is in a compressed list but has no four-character suffix");
    }
    if (sizeof(kTempDirPrefix) - 1 + relative.size() > kMaxLocalPathChars)
        Problem(shown + " is too long for the launcher's paths");
    // The launcher looks names up ignoring case: two names that differ only in case
    // would both fetch the first one.
    auto inserted = storedNames_.insert({AsciiLower(name), name});
    if (!inserted.second && inserted.first->second != name)
        Problem(shown + ": \"" + name + "\" and \"" + inserted.first->second +
                "\" differ only in letter case; the launcher cannot tell them apart");

    std::string path = JoinPath(directory_, name);
    struct stat info;
    if (name.find('/') != std::string::npos || stat(path.c_str(), &info) != 0 ||
        !S_ISREG(info.st_mode)) {
        Problem(shown + ": the file \"" + name + "\" is missing from the version directory");
        return;
    }
    if (info.st_size == 0)
        Problem(shown + ": the file is empty; the launcher cannot fetch a file of size 0");
    if (static_cast<uint64_t>(info.st_size) > kMaxShippedFileSize)
        Problem(shown + ": the file is 2 GiB or larger");
    std::string fault;
    if (compressed_ && info.st_size > 0 && !CheckCompressedFile(path, fault))
        Problem(shown + ": " + fault);
}

void VersionChecker::Run()
{
    std::string list = JoinPath(directory_, kListFileName);
    if (!IsDirectory(directory_)) {
        Problem("the version directory is missing");
        return;
    }
    ListReader reader;
    if (!reader.Open(list.c_str())) {
        Problem(std::string("the version directory has no ") + kListFileName);
        return;
    }
    compressed_ = ListHasTag(list.c_str(), kTagCompressed) == 1;
    CheckEntryCount();
    for (int item = reader.Next(); item != kListEnd; item = reader.Next()) {
        if (item == kListDirectory) {
            SwitchDirectory(reader);
        } else if (item == kListFile) {
            if (reader.Cut())
                Problem(std::string("a name longer than 99 characters: \"") + reader.Text() +
                        "...\"");
            else
                CheckFile(reader.Text());
        }
    }
    if (reader.EndedInSwitch())
        ReportBadSwitch();
}

} // namespace

void VerifyVersionDirectory(const std::string& directory, const std::string& label,
                            std::vector<std::string>& problems)
{
    VersionChecker checker(directory, label, problems);
    checker.Run();
}

void VerifyRoot(const std::string& root, const std::string& catalogueName,
                std::vector<std::string>& problems)
{
    std::vector<CatalogueVersion> versions;
    std::string error;
    if (!ReadCatalogue(JoinPath(root, catalogueName), versions, error)) {
        problems.push_back(error);
        return;
    }
    if (versions.size() > kMaxCatalogueVersions)
        problems.push_back(catalogueName + " lists " + std::to_string(versions.size()) +
                           " versions; the launcher reads at most 999");
    for (size_t i = 0; i < versions.size(); ++i) {
        const CatalogueVersion& version = versions[i];
        std::string label = "version \"" + version.name + "\"";
        if (version.name.size() > kMaxVersionDirChars)
            problems.push_back(label + ": the name is longer than 8 characters; the launcher "
                                       "refuses the whole catalogue");
        if (i > 0 && version.packed <= versions[i - 1].packed)
            problems.push_back(label + " (" + PackedVersionText(version.packed) +
                               ") is not greater than the version before it, \"" +
                               versions[i - 1].name + "\"; the launcher would skip it");
        if (version.name.find_first_of("/\\") != std::string::npos ||
            !IsSafeRelativePath(version.name.c_str())) {
            problems.push_back(label + ": not a plain directory name");
            continue;
        }
        VerifyVersionDirectory(JoinPath(root, version.name), label, problems);
    }
}
