// The installed version in config.ini and the registry settings, against real
// private profile files in a temporary game directory and the test prefix's registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "app/win/ClientConfig.h"
#include "app/win/OptionSettings.h"
#include "tests/win/TempGameDir.h"

namespace {

struct SessionFixture : ::testing::Test {
    TempGameDir dir;
    std::unique_ptr<PatchSession> session{new PatchSession};
    LaunchOptions options;

    void SetUp() override { options.runMode = kRunNormal; }

    VersionTriple Load(int runMode)
    {
        options.runMode = runMode;
        LoadInstalledVersion(*session, options);
        return session->installedVersion;
    }
    std::string Key(const char* key)
    {
        char text[64];
        GetPrivateProfileStringA("LOGIN", key, "<none>", text, sizeof(text), dir.File("config.ini").c_str());
        return text;
    }
};

void ExpectVersion(const VersionTriple& v, int major, int minor, int patch)
{
    EXPECT_EQ(v.major, major);
    EXPECT_EQ(v.minor, minor);
    EXPECT_EQ(v.patch, patch);
}

DWORD ReadDword(const char* name)
{
    DWORD value = 0xDEAD, size = sizeof(value);
    RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

std::string ReadId()
{
    char text[128] = "<none>";
    DWORD size = sizeof(text);
    RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, "ID", RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

void WriteDword(const char* name, DWORD value)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof(value));
}

} // namespace

TEST(ConfigPath, BackslashRule)
{
    char path[kConfigPathSize];
    LocateConfigFile("C:\\", path, sizeof(path));
    EXPECT_STREQ(path, "C:\\config.ini");
    LocateConfigFile("C:\\Games\\ZR", path, sizeof(path));
    EXPECT_STREQ(path, "C:\\Games\\ZR\\config.ini");
}

TEST_F(SessionFixture, VersionTextsAndTheNineCharacterCut)
{
    ExpectVersion(Load(kRunNormal), 0, 0, 0);   // no file at all
    EXPECT_STREQ(session->gameDir, dir.Path().c_str());
    const struct { const char* text; int a, b, c; } cases[] = {
        {"1.02.05", 1, 2, 5}, {"1.2", 1, 2, 0}, {"1..2", 1, 2, 0},
        {"300.1.1", 44, 1, 1}, {"100.100.100", 100, 100, 1},
    };
    for (const auto& c : cases) {
        dir.Write("config.ini", std::string("[LOGIN]\r\nVersion=") + c.text + "\r\n");
        SCOPED_TRACE(c.text);
        ExpectVersion(Load(kRunNormal), c.a, c.b, c.c);
    }
}

TEST_F(SessionFixture, ModesChooseTheInstalledVersion)
{
    dir.Write("config.ini", "[LOGIN]\r\nVersion=1.00.00\r\nTestVersion=0.255.255\r\n");
    ExpectVersion(Load(kRunNormal), 1, 0, 0);
    ExpectVersion(Load(kRunRelease), 1, 0, 0);
    ExpectVersion(Load(kRunTest), 0, 255, 255);   // equal weights: the test version
    dir.Write("config.ini", "[LOGIN]\r\nVersion=1.00.01\r\nTestVersion=0.255.255\r\n");
    ExpectVersion(Load(kRunTest), 1, 0, 1);
    options.cmdLineVersion = {7, 8, 9};
    ExpectVersion(Load(kRunLocal), 7, 8, 9);       // /l never reads the file
}

TEST_F(SessionFixture, StoreByModeAndListKind)
{
    session->installedVersion = {1, 2, 5};
    session->listKind = 1;
    options.runMode = kRunNormal;
    StoreInstalledVersion(*session, options);
    EXPECT_EQ(Key("Version"), "1.02.05");
    EXPECT_EQ(Key("TestVersion"), "<none>");

    options.runMode = kRunTest;
    session->installedVersion = {1, 2, 6};
    session->listKind = 2;                          // a TEST_SERVER list
    StoreInstalledVersion(*session, options);
    EXPECT_EQ(Key("Version"), "1.02.05");
    EXPECT_EQ(Key("TestVersion"), "1.02.06");
    EXPECT_EQ(TestVersionMatches(*session), 0);

    session->installedVersion = {1, 2, 7};
    session->listKind = 1;                          // a normal list in the test mode
    StoreInstalledVersion(*session, options);
    EXPECT_EQ(Key("Version"), "1.02.07");
    EXPECT_EQ(Key("TestVersion"), "1.02.07");
    EXPECT_EQ(TestVersionMatches(*session), 1);

    options.runMode = kRunRelease;
    session->installedVersion = {2, 0, 0};
    StoreInstalledVersion(*session, options);
    EXPECT_EQ(Key("Version"), "2.00.00");
    EXPECT_EQ(Key("TestVersion"), "1.02.07");
}

TEST_F(SessionFixture, MatchesAndExistence)
{
    EXPECT_EQ(TestVersionMatches(*session), 1);     // no file, both keys 0.0.0
    EXPECT_EQ(ConfigFileExists(*session), 0);
    dir.Write("config.ini", "[OTHER]\r\nx=1\r\n");
    EXPECT_EQ(TestVersionMatches(*session), 1);     // file without either key
    EXPECT_EQ(ConfigFileExists(*session), 1);
    dir.Write("config.ini", "[LOGIN]\r\nVersion=1.2.3\r\nTestVersion=1.02.03\r\n");
    EXPECT_EQ(TestVersionMatches(*session), 1);
}

struct SettingsFixture : ::testing::Test {
    TempGameDir dir;
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { DeleteSettingsKey(); }
};

TEST_F(SettingsFixture, NewKeyGetsTheDefaults)
{
    OptionSettings s;
    LoadSettings(s, {1, 0, 0});
    EXPECT_EQ(s.id, "");
    EXPECT_EQ(s.soundOn, 1);
    EXPECT_EQ(s.musicOn, 0);
    EXPECT_EQ(s.resolution, 2);
    EXPECT_EQ(ReadId(), "");
    EXPECT_EQ(ReadDword("SoundOnOff"), 1u);
    EXPECT_EQ(ReadDword("MusicOnOff"), 0u);
    EXPECT_EQ(ReadDword("Resolution"), 2u);
    EXPECT_FALSE(dir.Exists("config.ini"));
}

TEST_F(SettingsFixture, OlderConfigFileIsMigratedOnce)
{
    dir.Write("config.ini", "[LOGIN]\r\nID=abc\r\nVersion=1.02.05\r\n[OPTION]\r\nSoundOnOff=0\r\nResolution=7\r\n");
    OptionSettings s;
    LoadSettings(s, {1, 2, 5});
    EXPECT_EQ(ReadId(), "abc");
    EXPECT_EQ(ReadDword("SoundOnOff"), 0u);
    EXPECT_EQ(ReadDword("MusicOnOff"), 0u);
    EXPECT_EQ(ReadDword("Resolution"), 2u);
    EXPECT_EQ(dir.Read("config.ini"), "[LOGIN]\r\nVersion=1.2\r\n");

    // The key exists now: a second load reads it and leaves the file alone.
    dir.Write("config.ini", "[LOGIN]\r\nID=zzz\r\n");
    OptionSettings again;
    LoadSettings(again, {1, 2, 0});
    EXPECT_EQ(again.id, "abc");
    EXPECT_EQ(dir.Read("config.ini"), "[LOGIN]\r\nID=zzz\r\n");
}

TEST_F(SettingsFixture, OutOfRangeValuesKeptOnLoadClampedOnSave)
{
    OptionSettings first;
    LoadSettings(first, {0, 0, 0});
    WriteDword("Resolution", 9);
    WriteDword("MusicOnOff", 5);
    OptionSettings s;
    LoadSettings(s, {0, 0, 0});
    EXPECT_EQ(s.resolution, 9);
    EXPECT_EQ(s.musicOn, 5);
    EXPECT_EQ(ReadDword("Resolution"), 9u);
    s.id = "player";
    EXPECT_EQ(SaveSettings(s, nullptr), 1);
    EXPECT_EQ(ReadDword("Resolution"), 2u);
    EXPECT_EQ(ReadDword("MusicOnOff"), 0u);
    EXPECT_EQ(ReadId(), "player");
}

TEST_F(SettingsFixture, MissingValuesAreWrittenBack)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "Resolution", REG_SZ, "1", 2);
    OptionSettings s;
    LoadSettings(s, {0, 0, 0});
    EXPECT_EQ(s.resolution, 2);            // a value of the wrong size reads as absent
    EXPECT_EQ(ReadDword("Resolution"), 2u);
    EXPECT_EQ(ReadDword("SoundOnOff"), 1u);
    EXPECT_EQ(ReadId(), "");
}
