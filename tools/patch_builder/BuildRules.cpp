#include "tools/patch_builder/BuildRules.h"

#include <map>
#include <set>

#include "patch/PathCheck.h"
#include "tools/patch_builder/FileSystem.h"
#include "tools/patch_builder/LauncherLimits.h"
#include "tools/patch_builder/ListWriter.h"

namespace {

bool IsSingleComponent(const std::string& name)
{
    return name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           IsSafeRelativePath(name.c_str());
}

void CheckDirectory(const std::string& directory, std::set<std::string>& checked,
                    std::vector<std::string>& problems)
{
    for (const std::string& level : DirectoryLevels(directory)) {
        if (!checked.insert(level).second)
            continue;
        std::string launcherPath = ToLauncherPath(level);
        if (level.find('\\') != std::string::npos)
            problems.push_back("directory \"" + level + "\": a backslash in a name would split it on the clients");
        else if (!IsSafeRelativeDirectory(launcherPath.c_str()))
            problems.push_back("directory \"" + level + "\" fails the launcher's path check "
                               "(device name, trailing dot or blank, or a forbidden character)");
        if (launcherPath.size() > kMaxListTokenChars)
            problems.push_back("directory \"" + level + "\" is " +
                               std::to_string(launcherPath.size()) +
                               " characters long; the launcher reads at most 99");
    }
}

void CheckFile(const ChangedFile& file, const std::string& suffix,
               std::vector<std::string>& problems)
{
    const std::string shown = "file \"" + file.path + "\"";
    std::string storedName = file.name + suffix;
    std::string launcherPath = ToLauncherPath(file.path);
    if (file.name.find('\\') != std::string::npos)
        problems.push_back(shown + ": a backslash in a name would split it on the clients");
    else if (!IsSafeRelativePath(launcherPath.c_str()) ||
             !IsSafeRelativePath((launcherPath + suffix).c_str()))
        problems.push_back(shown + " fails the launcher's path check "
                           "(device name, trailing dot or blank, or a forbidden character)");
    if (storedName.size() > kMaxListTokenChars)
        problems.push_back(shown + ": its name in the list (\"" + storedName + "\") is " +
                           std::to_string(storedName.size()) +
                           " characters long; the launcher reads at most 99");
    size_t localPath = sizeof(kTempDirPrefix) - 1 + launcherPath.size() + suffix.size();
    if (localPath > kMaxLocalPathChars)
        problems.push_back(shown + ": the path is too long for the launcher (" +
                           std::to_string(localPath) + " of at most " +
                           std::to_string(kMaxLocalPathChars) + " characters with \"Temp\\\")");
    if (file.size > kMaxShippedFileSize)
        problems.push_back(shown + " is " + std::to_string(file.size) +
                           " bytes; the launcher fetches files below 2 GiB only");
    if (file.size == 0 && suffix.empty())
        problems.push_back(shown + " is empty (0 bytes): the launcher cannot fetch a file of "
                           "size 0; ship it compressed (--compress .bz2) or give it content");
}

} // namespace

int ParseStrictVersion(const std::string& text, VersionTriple& version)
{
    int parts[3] = {0, 0, 0};
    int part = 0;
    int digits = 0;
    for (char c : text) {
        if (c == '.') {
            if (digits == 0 || ++part > 2)
                return 0;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            if (++digits > 3)
                return 0;
            parts[part] = parts[part] * 10 + (c - '0');
        } else {
            return 0;
        }
    }
    if (part != 2 || digits == 0)
        return 0;
    for (int value : parts) {
        if (value > 255)
            return 0;
    }
    version = VersionTriple{static_cast<unsigned char>(parts[0]),
                            static_cast<unsigned char>(parts[1]),
                            static_cast<unsigned char>(parts[2])};
    return 1;
}

std::string VersionDirName(const BuildOptions& options)
{
    return options.dirName.empty() ? options.versionText : options.dirName;
}

void CheckOptions(const BuildOptions& options, std::vector<std::string>& problems)
{
    VersionTriple version;
    if (!ParseStrictVersion(options.versionText, version)) {
        problems.push_back("--version \"" + options.versionText +
                           "\" is not of the form X.Y.Z with each part from 0 to 255");
        return;
    }
    std::string dir = VersionDirName(options);
    if (dir.size() > kMaxVersionDirChars)
        problems.push_back("version directory name \"" + dir + "\" is " +
                           std::to_string(dir.size()) +
                           " characters long; the launcher takes at most 8 (use --dir)");
    if (!IsSingleComponent(dir) || dir[0] == '.')
        problems.push_back("version directory name \"" + dir + "\" is not a plain directory name");
    else if (PackVersion(ParseVersionText(dir.c_str())) != PackVersion(version))
        problems.push_back("version directory name \"" + dir + "\" reads as version " +
                           PackedVersionText(PackVersion(ParseVersionText(dir.c_str()))) +
                           " on the clients, not " + PackedVersionText(PackVersion(version)) +
                           ": the catalogue lists the directory name and the launcher takes "
                           "the version from it");
    if (!options.suffix.empty() && !IsValidSuffix(options.suffix))
        problems.push_back("--compress \"" + options.suffix +
                           "\" must be exactly four characters: a '.' and three others, "
                           "such as .bz2");
    const std::string& catalogue = options.catalogueName;
    if (!IsSingleComponent(catalogue) || catalogue[0] == '.')
        problems.push_back("--catalogue \"" + catalogue + "\" is not a plain file name");
    else if (catalogue.size() > kMaxCatalogueNameChars)
        problems.push_back("--catalogue \"" + catalogue + "\" is longer than 19 characters, "
                           "the most the connect server can send");
}

void CheckChanges(const TreeChanges& changes, const std::string& suffix,
                  std::vector<std::string>& problems)
{
    for (const std::string& path : changes.conflicts)
        problems.push_back("\"" + path + "\" is a file in one tree and a directory in the "
                           "other; the launcher can neither remove the old one nor replace it");

    std::set<std::string> checkedDirs;
    for (const std::string& directory : changes.newDirectories)
        CheckDirectory(directory, checkedDirs, problems);

    // The version directory is flat, and the launcher looks names up ignoring case.
    std::map<std::string, std::string> byStoredName;
    byStoredName[kListFileName] = std::string("the list file ") + kListFileName;
    for (const ChangedFile& file : changes.files) {
        CheckDirectory(file.directory, checkedDirs, problems);
        CheckFile(file, suffix, problems);
        std::string key = AsciiLower(file.name + suffix);
        auto inserted = byStoredName.insert({key, "\"" + file.path + "\""});
        if (!inserted.second)
            problems.push_back("\"" + file.path + "\" and " + inserted.first->second +
                               " have the same name in the flat version directory (letter "
                               "case does not count); ship them in two versions");
    }

    size_t entries = changes.files.size() + 1;   // the list file is an entry too
    if (entries > kMaxVersionDirEntries)
        problems.push_back("the version would hold " + std::to_string(changes.files.size()) +
                           " files and " + kListFileName +
                           "; the launcher finds at most 999 entries in a version directory "
                           "(998 files): split the change into several versions");
}

void CheckAgainstRoot(const BuildOptions& options, const std::vector<CatalogueVersion>& published,
                      std::vector<std::string>& problems)
{
    VersionTriple version;
    if (!ParseStrictVersion(options.versionText, version))
        return;
    PackedVersion packed = PackVersion(version);
    if (!published.empty() && packed <= published.back().packed)
        problems.push_back("version " + options.versionText + " is not greater than " +
                           published.back().name + ", the last version in " +
                           options.catalogueName);
    if (published.size() >= kMaxCatalogueVersions)
        problems.push_back(options.catalogueName +
                           " already lists 999 versions, the most the launcher reads");
    std::string dir = JoinPath(options.root, VersionDirName(options));
    if (PathExists(dir))
        problems.push_back("the version directory " + dir + " already exists");
}
