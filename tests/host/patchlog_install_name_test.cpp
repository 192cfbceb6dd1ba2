// Install targets and sources of logged paths, and the launcher's own file.
#include <gtest/gtest.h>

#include <string>

#include "patch/InstallName.h"

namespace {

struct TargetCase {
    const char* path;
    const char* target;
    int selfUpdate;
};

TEST(InstallName, TargetOfLoggedPaths)
{
    const TargetCase cases[] = {
        {"zr.exe", "zr._xe", 1},
        {"ZR.EXE", "zr._xe", 1},
        {"Zr.Exe", "zr._xe", 1},
        {"sub\\zr.exe", "zr._xe", 1},
        {"a/b\\ZR.exe", "zr._xe", 1},
        {"zr.exe.bak", "zr.exe.bak", 0},
        {"azr.exe", "azr.exe", 0},
        {"zr.ex", "zr.ex", 0},
        {"zr.exe\\data.bmd", "zr.exe\\data.bmd", 0},
        {"zr._xe", "zr._xe", 0},
        {"data\\a.bmd", "data\\a.bmd", 0},
        {"Data\\My File.bmd", "Data\\My File.bmd", 0},
    };
    for (const TargetCase& c : cases) {
        char out[260];
        int self = -1;
        ASSERT_EQ(BuildInstallTarget(c.path, out, sizeof out, &self), 1) << c.path;
        EXPECT_STREQ(out, c.target) << c.path;
        EXPECT_EQ(self, c.selfUpdate) << c.path;
        EXPECT_EQ(IsSelfUpdateName(c.path), c.selfUpdate) << c.path;
    }
}

TEST(InstallName, SourceIsUnderTemp)
{
    char out[260];
    ASSERT_EQ(BuildInstallSource("data\\a.bmd", out, sizeof out), 1);
    EXPECT_STREQ(out, "Temp\\data\\a.bmd");
    ASSERT_EQ(BuildInstallSource("ZR.EXE", out, sizeof out), 1);
    EXPECT_STREQ(out, "Temp\\ZR.EXE");
}

TEST(InstallName, UnsafeOrOversizedPathsAreRefused)
{
    const char* const unsafe[] = {"..\\zr.exe", "C:\\Windows\\a.dll", "\\a.txt",
                                  "a\\..\\..\\b", "", "con.txt", "a.txt:stream"};
    for (const char* path : unsafe) {
        char out[260] = "junk";
        int self = 1;
        EXPECT_EQ(BuildInstallTarget(path, out, sizeof out, &self), 0) << path;
        EXPECT_STREQ(out, "") << path;
        EXPECT_EQ(self, 0) << path;
        EXPECT_EQ(BuildInstallSource(path, out, sizeof out), 0) << path;
        EXPECT_STREQ(out, "") << path;
    }
    EXPECT_EQ(BuildInstallTarget(nullptr, nullptr, 0, nullptr), 0);

    // "Temp\\" makes a 255-byte path too long for 260 bytes; it is not cut.
    std::string longName(255, 'a');
    char out[260];
    EXPECT_EQ(BuildInstallTarget(longName.c_str(), out, sizeof out, nullptr), 1);
    EXPECT_EQ(BuildInstallSource(longName.c_str(), out, sizeof out), 0);
    EXPECT_STREQ(out, "");
    char small[6];
    EXPECT_EQ(BuildInstallTarget("zr.exe", small, sizeof small, nullptr), 0);
    EXPECT_EQ(BuildInstallTarget("a.txt", small, sizeof small, nullptr), 1);
}

} // namespace
