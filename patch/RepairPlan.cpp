#include "patch/RepairPlan.h"

#include <map>

#include "patch/InstallName.h"
#include "patch/ListCheck.h"
#include "patch/PathCheck.h"

namespace {

std::string AsciiLower(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string BareName(const std::string& path)
{
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace

int BuildRepairPlan(const std::vector<RepairVersion>& versions, std::vector<RepairItem>& plan,
                    std::string& error)
{
    plan.clear();
    std::map<std::string, size_t> byPath;   // lower-case installed path -> plan position
    for (const RepairVersion& version : versions) {
        for (const ManifestEntry& entry : version.manifest.entries) {
            RepairItem item;
            item.listedPath = entry.path;
            item.installedPath = entry.path;
            if (version.compressed) {
                if (BareName(entry.path).size() <= kCompressedSuffixLength) {
                    error = "compressed entry without a name: " + entry.path;
                    plan.clear();
                    return 0;
                }
                item.installedPath.resize(entry.path.size() - kCompressedSuffixLength);
            }
            item.servedName = BareName(entry.path);
            item.directory = version.directory;
            item.compressed = version.compressed;
            item.entry = entry;
            // The launcher's own file always ends up as zr.exe in the game directory.
            item.selfUpdate = IsSelfUpdateName(item.installedPath.c_str()) == 1;
            if (item.selfUpdate)
                item.installedPath = "zr.exe";
            // The manifest may come unsigned from the server: no path leaves the game
            // directory.
            if (!IsSafeRelativePath(item.listedPath.c_str()) || !IsSafeRelativePath(item.installedPath.c_str())) {
                error = "unsafe path: " + entry.path;
                plan.clear();
                return 0;
            }
            std::string key = AsciiLower(item.installedPath);
            auto found = byPath.find(key);
            if (found == byPath.end()) {
                byPath[key] = plan.size();
                plan.push_back(item);
            } else {
                plan[found->second] = item;
            }
        }
    }
    return 1;
}
