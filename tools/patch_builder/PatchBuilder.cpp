#include "tools/patch_builder/PatchBuilder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "tools/patch_builder/Bzip2File.h"
#include "tools/patch_builder/FileSystem.h"
#include "tools/patch_builder/LauncherLimits.h"
#include "tools/patch_builder/ListWriter.h"
#include "tools/patch_builder/RootLock.h"
#include "tools/patch_builder/RootVerifier.h"
#include "tools/patch_builder/VersionSigner.h"

namespace {

int Report(FILE* err, const std::vector<std::string>& problems)
{
    for (const std::string& problem : problems)
        fprintf(err, "zr-patch-builder: refused: %s\n", problem.c_str());
    fprintf(err, "zr-patch-builder: nothing was written\n");
    return 0;
}

int Failure(FILE* err, const std::string& staging, const std::string& what)
{
    if (!staging.empty())
        RemoveTree(staging);
    fprintf(err, "zr-patch-builder: failed: %s\nzr-patch-builder: nothing was published\n",
            what.c_str());
    return 0;
}

// Copies or compresses every shipped file into the flat staging directory and writes
// the list; 1 or 0 with `error`.
int FillStaging(const BuildOptions& options, const TreeChanges& changes,
                const std::string& staging, std::string& error)
{
    for (const ChangedFile& file : changes.files) {
        std::string from = JoinPath(options.newDir, file.path);
        std::string to = JoinPath(staging, file.name + options.suffix);
        if (options.suffix.empty()) {
            if (!CopyFileContents(from, to, error))
                return 0;
            continue;
        }
        if (!CompressFile(from, to, error))
            return 0;
        struct stat info;
        if (stat(to.c_str(), &info) != 0 ||
            static_cast<uint64_t>(info.st_size) > kMaxShippedFileSize) {
            error = "the compressed form of " + file.path + " is 2 GiB or larger";
            return 0;
        }
    }
    ListOptions listOptions;
    listOptions.versionText = options.versionText;
    listOptions.suffix = options.suffix;
    listOptions.testServer = options.testServer;
    std::string list = BuildListText(changes.files, changes.newDirectories, listOptions);
    return WriteFileAtomically(JoinPath(staging, kListFileName), list, error);
}

void PrintNotes(const TreeChanges& changes, FILE* err)
{
    for (const std::string& path : changes.removed)
        fprintf(err, "zr-patch-builder: note: \"%s\" is gone from the new tree; clients keep "
                     "their copy (the launcher never deletes files)\n", path.c_str());
    if (changes.files.empty())
        fprintf(err, "zr-patch-builder: note: no file changed; the version ships an empty list\n");
}

// Builds the version in a new staging directory inside the root: the shipped files, the
// list, with a key the signed manifest; then checks it as the launcher will read it.
// 1 with `staging`, or 0 after reporting (nothing is left behind).
int StageVersion(const BuildOptions& options, const TreeChanges& changes, const SecretKey& key,
                 std::string& staging, FILE* err)
{
    std::string pattern = JoinPath(options.root, ".zr-build-XXXXXX");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data()))
        return Failure(err, "", "cannot create a staging directory in " + options.root + ": " +
                                    strerror(errno));
    staging = name.data();
    chmod(staging.c_str(), 0755);
    std::string error;
    if (!FillStaging(options, changes, staging, error) ||
        (!options.signKey.empty() &&
         !SignVersionDirectory(staging, VersionDirName(options), key, error)))
        return Failure(err, staging, error);
    std::vector<std::string> faults;
    VerifyVersionDirectory(staging, "staged version", faults);
    if (!faults.empty())
        return Failure(err, staging, faults.front());
    SyncDirectory(staging);
    return 1;
}

} // namespace

int BuildVersion(const BuildOptions& options, FILE* out, FILE* err)
{
    std::vector<std::string> problems;
    CheckOptions(options, problems);
    if (!IsDirectory(options.root))
        problems.push_back("the FTP root " + options.root + " is not a directory");
    if (!problems.empty())
        return Report(err, problems);

    SecretKey key;
    std::string error, warning;
    if (!options.signKey.empty() && !LoadSecretKey(options.signKey, key, warning, error))
        return Report(err, {error});
    if (!warning.empty())
        fprintf(err, "zr-patch-builder: warning: %s\n", warning.c_str());
    TreeChanges changes;
    if (!DiffTrees(options.oldDir, options.newDir, changes, error))
        return Report(err, {error});
    CheckChanges(changes, options.suffix, problems);

    RootLock lock;
    if (!lock.Take(options.root, error))
        return Report(err, {error});

    std::string cataloguePath = JoinPath(options.root, options.catalogueName);
    std::string catalogueText;
    std::vector<CatalogueVersion> published;
    if (PathExists(cataloguePath)) {
        if (!ReadWholeFile(cataloguePath, catalogueText, error) ||
            !ReadCatalogue(cataloguePath, published, error))
            problems.push_back(error);
    }
    CheckAgainstRoot(options, published, problems);
    if (!problems.empty())
        return Report(err, problems);

    PrintNotes(changes, err);

    std::string staging;
    std::string dirName = VersionDirName(options);
    if (!StageVersion(options, changes, key, staging, err))
        return 0;
    std::string finalDir = JoinPath(options.root, dirName);
    if (renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, finalDir.c_str(), RENAME_NOREPLACE) != 0)
        return Failure(err, staging, "cannot move the version into place as " + finalDir + ": " +
                                         strerror(errno));
    SyncDirectory(options.root);

    std::string updated = AppendToCatalogueText(catalogueText, dirName);
    if (!WriteFileAtomically(cataloguePath, updated, error)) {
        // Take the version back out, so clients never see a directory that no catalogue names.
        rename(finalDir.c_str(), staging.c_str());
        return Failure(err, staging, error);
    }
    if (!options.signKey.empty() && !SignCatalogueFile(cataloguePath, key, error)) {
        fprintf(err, "zr-patch-builder: failed: %s\nzr-patch-builder: the version is published "
                     "but the catalogue is not signed: run zr-patch-builder sign\n", error.c_str());
        return 0;
    }
    fprintf(out, "published version %s in %s: %zu file(s)%s%s%s; %s lists %zu version(s)\n",
            options.versionText.c_str(), finalDir.c_str(), changes.files.size(),
            options.signKey.empty() ? "" : ", signed",
            options.suffix.empty() ? "" : (", compressed as name" + options.suffix).c_str(),
            options.testServer ? ", test server" : "", options.catalogueName.c_str(),
            published.size() + 1);
    return 1;
}
