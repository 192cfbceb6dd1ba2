// What a repair expects: the last manifest naming a path wins (letter case ignored),
// compressed entries lose their suffix, the launcher's own file is marked for the
// self-update path; and the switch that asks for a repair.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/LaunchOptions.h"
#include "patch/RepairPlan.h"

namespace {

ManifestEntry Entry(const std::string& path, uint8_t mark)
{
    ManifestEntry entry;
    entry.path = path;
    entry.servedSize = mark;
    entry.installedSize = mark + 100u;
    entry.installedHash.fill(mark);
    return entry;
}

RepairVersion Version(const std::string& directory, bool compressed, std::vector<ManifestEntry> entries)
{
    RepairVersion version;
    version.directory = directory;
    version.compressed = compressed;
    version.manifest.entries = entries;
    return version;
}

} // namespace

TEST(RepairPlan, LaterVersionsWinAndCompressedNamesLoseTheirSuffix)
{
    std::vector<RepairVersion> versions = {
        Version("1.00.01", false, {Entry("a.txt", 1), Entry("data\\b.bmd", 2), Entry("zr.exe", 3)}),
        Version("1.00.02", true, {Entry("DATA\\B.bmd.bz2", 4), Entry("data\\sub\\c.wav.bz2", 5)}),
        Version("1.00.03", false, {Entry("data\\zr.exe", 6)}),
    };
    std::vector<RepairItem> plan;
    std::string error;
    ASSERT_EQ(BuildRepairPlan(versions, plan, error), 1) << error;
    ASSERT_EQ(plan.size(), 4u);

    EXPECT_EQ(plan[0].installedPath, "a.txt");
    EXPECT_EQ(plan[0].directory, "1.00.01");
    EXPECT_EQ(plan[0].servedName, "a.txt");
    EXPECT_FALSE(plan[0].compressed);

    // The second version's entry replaces the first one at its place in the plan,
    // whatever letter case it is written in, and is fetched in its compressed form.
    EXPECT_EQ(plan[1].installedPath, "DATA\\B.bmd");
    EXPECT_EQ(plan[1].listedPath, "DATA\\B.bmd.bz2");
    EXPECT_EQ(plan[1].servedName, "B.bmd.bz2");
    EXPECT_EQ(plan[1].directory, "1.00.02");
    EXPECT_TRUE(plan[1].compressed);
    EXPECT_EQ(plan[1].entry.installedSize, 104u);
    EXPECT_EQ(plan[1].entry.installedHash[0], 4);

    // The launcher's own file, wherever a list puts it, is zr.exe of the game directory;
    // the latest version that ships it serves it.
    EXPECT_EQ(plan[2].installedPath, "zr.exe");
    EXPECT_TRUE(plan[2].selfUpdate);
    EXPECT_EQ(plan[2].directory, "1.00.03");
    EXPECT_EQ(plan[2].listedPath, "data\\zr.exe");
    EXPECT_EQ(plan[2].servedName, "zr.exe");

    EXPECT_EQ(plan[3].installedPath, "data\\sub\\c.wav");
    EXPECT_FALSE(plan[3].selfUpdate);
}

TEST(RepairPlan, EmptyCataloguesUnnamedCompressedEntriesAndPathsOutsideTheGame)
{
    std::vector<RepairItem> plan;
    std::string error;
    EXPECT_EQ(BuildRepairPlan({}, plan, error), 1);
    EXPECT_TRUE(plan.empty());

    // A compressed entry whose name is no longer than its suffix names nothing.
    std::vector<RepairVersion> versions = {Version("1", false, {Entry("a.txt", 1)}),
                                           Version("2", true, {Entry("data\\.bz2", 2)})};
    EXPECT_EQ(BuildRepairPlan(versions, plan, error), 0);
    EXPECT_TRUE(plan.empty());
    EXPECT_NE(error.find("data\\.bz2"), std::string::npos);

    // A path that would leave the game directory refuses the whole plan.
    for (const char* path : {"..\\evil.dll", "C:\\evil.dll", "data\\..\\..\\x", "con.txt"}) {
        std::vector<RepairVersion> hostile = {Version("1", false, {Entry("a.txt", 1), Entry(path, 2)})};
        EXPECT_EQ(BuildRepairPlan(hostile, plan, error), 0) << path;
        EXPECT_TRUE(plan.empty()) << path;
    }
}

TEST(RepairSwitch, OnlyTheExactTokenAsksAndItIsPassedOn)
{
    LaunchOptions options;
    ParseCommandLine(options, "/verify");
    EXPECT_EQ(options.repair, 1);
    EXPECT_EQ(options.runMode, kRunNormal);
    EXPECT_STREQ(options.passArgs, "/verify");

    LaunchOptions withMode;
    ParseCommandLine(withMode, "/t /verify");
    EXPECT_EQ(withMode.repair, 1);
    EXPECT_EQ(withMode.runMode, kRunTest);
    EXPECT_STREQ(withMode.passArgs, "/t /verify");

    for (const char* line : {"/VERIFY", "/verify2", "/v", "/r", "verify", "/l 1.2.3"}) {
        LaunchOptions other;
        ParseCommandLine(other, line);
        EXPECT_EQ(other.repair, 0) << line;
    }
}
