#include "tools/patch_builder/ListWriter.h"

#include <map>
#include <set>

#include "tools/patch_builder/LauncherLimits.h"

std::vector<std::string> DirectoryLevels(const std::string& directory)
{
    std::vector<std::string> levels;
    if (directory.empty())
        return levels;
    for (size_t slash = directory.find('/'); slash != std::string::npos;
         slash = directory.find('/', slash + 1))
        levels.push_back(directory.substr(0, slash));
    levels.push_back(directory);
    return levels;
}

std::string BuildListText(const std::vector<ChangedFile>& files,
                          const std::vector<std::string>& directories, const ListOptions& options)
{
    std::map<std::string, std::vector<std::string>> byDirectory;
    for (const std::string& directory : directories)
        byDirectory[directory];
    for (const ChangedFile& file : files)
        byDirectory[file.directory].push_back(file.name + options.suffix);

    std::string text = "// list.inf of version " + options.versionText +
                       ", written by zr-patch-builder\n";
    if (!options.suffix.empty())
        text += "#COMPRESSED#\n";
    if (options.testServer)
        text += "#TEST_SERVER#\n";

    // The map puts "" (the game directory) first, so its files precede every switch.
    std::set<std::string> switched;
    for (const auto& item : byDirectory) {
        for (const std::string& level : DirectoryLevels(item.first)) {
            if (switched.insert(level).second)
                text += "1 \"" + ToLauncherPath(level) + "\"\n";
        }
        for (const std::string& name : item.second)
            text += "\"" + name + "\"\n";
    }
    return text;
}
