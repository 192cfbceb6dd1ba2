// The version walk against the real FTP test server: whole walks, resuming from the
// patch log, the launch modes, and the catalogue's edge cases.
#include "tests/win/patch_ftp_engine.h"

#include <algorithm>
#include <string>

namespace {

using WalkTest = FtpEngineTest;

TEST_F(WalkTest, ThreeVersionsWithDirectoriesQuotedNamesAndACompressedList)
{
    server->Put("version.cvd", "// versions in install order\n\"1.00.01\" \"1.00.02\"\n\"1.02.06\"\n");
    // Quoted names: "-" needs quotes. (No blank: WinINet under Wine cuts a listed name at
    // its first blank, so such a file is never found in the listing there.)
    server->Put("1.00.01/list.inf",
                "\"a.txt\"\n1 \"data\" \"b.bmd\"\n2 \"data\\sub\" \"with-dash.txt\"\n");
    server->Put("1.00.01/a.txt", "a, first");
    server->Put("1.00.01/b.bmd", std::string(5000, 'b'));
    server->Put("1.00.01/with-dash.txt", "blank");
    server->Put("1.00.02/list.inf", "#COMPRESSED#\n\"c.bmd.bz_\"\n1 \"data\"\n\"d.txt.bz_\"\n");
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7919) >> 3);
    server->Put("1.00.02/c.bmd.bz_", Bzip2(big));
    server->Put("1.00.02/d.txt.bz_", Bzip2("d expanded"));
    server->Put("1.02.06/list.inf", "1 \"\" a.txt\n");
    server->Put("1.02.06/a.txt", "a, last");
    // Only the first redraw is due: every later end of a file waits for its list's end.
    engine->SetTransferPaceMs(600000);

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(dir.Read("a.txt"), "a, last");
    EXPECT_EQ(dir.Read("data\\b.bmd"), std::string(5000, 'b'));
    EXPECT_EQ(dir.Read("data\\sub\\with-dash.txt"), "blank");
    EXPECT_EQ(dir.Read("c.bmd"), big);
    EXPECT_EQ(dir.Read("data\\d.txt"), "d expanded");
    EXPECT_FALSE(dir.Exists("c.bmd.bz_"));
    EXPECT_EQ(Config("Version"), "1.02.06");
    EXPECT_EQ(session->installedVersion.minor, 2);
    EXPECT_EQ(session->installedVersion.patch, 6);

    // Nothing of the work files stays behind.
    EXPECT_FALSE(dir.Exists("patch.log"));
    EXPECT_FALSE(dir.Exists("list.inf"));
    EXPECT_FALSE(dir.Exists("Temp\\a.txt"));
    EXPECT_FALSE(dir.Exists("Temp\\c.bmd"));
    EXPECT_FALSE(dir.Exists("Temp\\c.bmd.bz_"));
    EXPECT_FALSE(dir.Exists("Temp\\data\\sub\\with-dash.txt"));
    EXPECT_TRUE(dir.Exists("version.cvd"));

    // The end of a walk: text 123, caption 147, counters, ready, connection closed.
    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_FALSE(LastStatusIsError());
    EXPECT_EQ(reporter.LastCaption(), Text(147));
    EXPECT_EQ(reporter.CounterText(kVersionCounter), Text(13) + "3/3");
    EXPECT_EQ(reporter.CounterText(kFileCounter), Text(12) + "1/1");
    EXPECT_EQ(reporter.LastBarRange(kUpperBar), 3);
    EXPECT_EQ(reporter.LastBarPos(kLowerBar), 1);
    EXPECT_EQ(reporter.enterReadyCalls, 1);
    EXPECT_EQ(session->stopped, 1);
    EXPECT_EQ(session->ftpHandle, nullptr);
    EXPECT_EQ(session->internetHandle, nullptr);
    EXPECT_TRUE(ShowedStatus(108));
    EXPECT_TRUE(ShowedStatus(122));

    std::vector<std::string> expected = {"version.cvd", "1.00.01/list.inf", "1.00.01/a.txt",
                                         "1.00.01/b.bmd", "1.00.01/with-dash.txt", "1.00.02/list.inf",
                                         "1.00.02/c.bmd.bz_", "1.00.02/d.txt.bz_", "1.02.06/list.inf",
                                         "1.02.06/a.txt"};
    EXPECT_EQ(Fetched(), expected);

    // The first file is drawn at once; after it each list ends with its last file
    // shown complete, on the bar and in the caption: the download of the plain lists,
    // the expansion of the compressed one.
    std::vector<int> positions = reporter.BarPositions(kUpperBar);
    EXPECT_EQ(std::count(positions.begin(), positions.end(), 100), 4);
    std::vector<std::string> captions = {Text(145) + " (100%)", Text(145) + " (100%)",
                                         Text(146) + " (100%)", Text(145) + " (100%)", Text(147)};
    EXPECT_EQ(reporter.captions, captions);
}

TEST_F(WalkTest, ResumeFetchesOnlyTheFilesTheLogDoesNotName)
{
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "a.txt b.txt 1 \"sub\" c.txt");
    server->Put("1.00.01/a.txt", "a from server");
    server->Put("1.00.01/b.txt", "b from server");
    server->Put("1.00.01/c.txt", "c from server");
    CreateDirectoryA("sub", nullptr);
    CreateDirectoryA("Temp\\sub", nullptr);
    dir.Write("patch.log", "V 1.0.1\nF a.txt\nF sub\\c.txt\n");
    dir.Write("Temp\\a.txt", "a fetched before");
    dir.Write("Temp\\sub\\c.txt", "c fetched before");

    EXPECT_EQ(Begin(), 1);

    std::vector<std::string> expected = {"version.cvd", "1.00.01/list.inf", "1.00.01/b.txt"};
    EXPECT_EQ(Fetched(), expected);
    EXPECT_EQ(dir.Read("a.txt"), "a fetched before");
    EXPECT_EQ(dir.Read("b.txt"), "b from server");
    EXPECT_EQ(dir.Read("sub\\c.txt"), "c fetched before");
    EXPECT_EQ(Config("Version"), "1.00.01");
    EXPECT_FALSE(dir.Exists("patch.log"));
    // Skipped files count on the bar and in the counter.
    EXPECT_EQ(reporter.CounterText(kFileCounter), Text(12) + "3/3");
    EXPECT_EQ(reporter.LastBarPos(kLowerBar), 3);
}

// Writes a served file through the literal path form, which keeps a name that Windows
// would rewrite (a trailing dot).
void PutLiteral(const FtpTestServer& server, const std::string& relative, const std::string& bytes)
{
    std::string path = "\\\\?\\" + server.Root() + "\\" + relative;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

TEST_F(WalkTest, NamesThatWindowsRewritesAreFetchedAsListedAndStoredAsWindowsOpensThem)
{
    server->Put("version.cvd", "\"1.00.01\"");
    // A trailing separator, an empty component, trailing dots and blanks.
    server->Put("1.00.01/list.inf", "1 \"data\\\" \"a.txt.\"\n1 \"data. \\\\maps\\\" b.bin\n");
    PutLiteral(*server, "1.00.01\\a.txt.", "a");
    server->Put("1.00.01/b.bin", "b");

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_TRUE(WasFetched("1.00.01/a.txt."));
    EXPECT_EQ(dir.Read("data\\a.txt"), "a");
    EXPECT_EQ(dir.Read("data\\maps\\b.bin"), "b");
    EXPECT_EQ(Config("Version"), "1.00.01");
    EXPECT_FALSE(dir.Exists("patch.log"));
    EXPECT_FALSE(dir.Exists("Temp\\data\\a.txt"));
    EXPECT_FALSE(dir.Exists("Temp\\data\\maps\\b.bin"));
}

TEST_F(WalkTest, ALogOfAnotherVersionIsReplacedAndItsFilesNeverInstalled)
{
    server->Put("version.cvd", "\"1.00.01\" \"1.00.02\"");
    server->Put("1.00.01/list.inf", "// nothing to fetch in this version\n#SOMETAG#\n");
    server->Put("1.00.02/list.inf", "old.txt");
    server->Put("1.00.02/old.txt", "old.txt of 1.0.2");
    dir.Write("patch.log", "V 0.9.9\nF old.txt\n");
    dir.Write("Temp\\old.txt", "left by 0.9.9");

    EXPECT_EQ(Begin(), 1);

    // 1.0.1 names no file: the stale log is not installed with it.
    EXPECT_EQ(dir.Read("old.txt"), "old.txt of 1.0.2");
    EXPECT_TRUE(WasFetched("1.00.02/old.txt"));
    EXPECT_EQ(Config("Version"), "1.00.02");
    EXPECT_FALSE(dir.Exists("patch.log"));
}

TEST_F(WalkTest, AListWithoutFileEntriesStillStoresTheVersion)
{
    server->Put("version.cvd", "\"2.00.00\"");
    server->Put("2.00.00/list.inf", "// empty\n, ; { } #COMPRESSED#\n");

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(Config("Version"), "2.00.00");
    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_EQ(reporter.CounterText(kFileCounter), "");
}

TEST_F(WalkTest, AnOutOfOrderEntryIsSkipped)
{
    session->installedVersion = {1, 0, 0};
    server->Put("version.cvd", "\"1.00.03\" \"1.00.02\" \"1.00.00\" \"1.00.04\"");
    server->Put("1.00.03/list.inf", "x.txt");
    server->Put("1.00.03/x.txt", "3");
    server->Put("1.00.02/list.inf", "x.txt");
    server->Put("1.00.02/x.txt", "2");
    server->Put("1.00.04/list.inf", "y.txt");
    server->Put("1.00.04/y.txt", "4");

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(dir.Read("x.txt"), "3");
    EXPECT_EQ(dir.Read("y.txt"), "4");
    EXPECT_FALSE(WasFetched("1.00.02/list.inf"));
    EXPECT_FALSE(WasFetched("1.00.00/list.inf"));
    EXPECT_EQ(Config("Version"), "1.00.04");
    EXPECT_EQ(reporter.CounterText(kVersionCounter), Text(13) + "4/4");
}

TEST_F(WalkTest, EmptyCatalogueEndsLikeAWalkWithNothingToInstall)
{
    server->Put("version.cvd", "// no versions yet\n");

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_EQ(reporter.LastCaption(), Text(147));
    EXPECT_EQ(reporter.enterReadyCalls, 1);
    EXPECT_EQ(session->ftpHandle, nullptr);
    EXPECT_EQ(session->internetHandle, nullptr);
    EXPECT_EQ(session->stopped, 1);
    EXPECT_EQ(Config("Version"), "<none>");
}

TEST_F(WalkTest, CatalogueFailuresEndTheSessionBeforeTheWalk)
{
    // Not on the server: 116, and a stale local "version.cvd" is gone all the same.
    dir.Write("version.cvd", "\"9.00.00\"");
    EXPECT_EQ(Begin("other.cvd"), 0);
    EXPECT_EQ(LastStatus(), Text(116));
    EXPECT_TRUE(LastStatusIsError());
    EXPECT_FALSE(dir.Exists("version.cvd"));
    EXPECT_NE(session->ftpHandle, nullptr);  // the connection stays open
    EXPECT_EQ(reporter.enterReadyCalls, 0);

    // 1000 versions: 114 and the local catalogue deleted; a new session closes the
    // old handles first and runs as usual.
    std::string many;
    for (int i = 0; i < 1000; ++i)
        many += "\"1." + std::to_string(i % 256) + "\"\n";
    server->Put("other.cvd", many);
    EXPECT_EQ(Begin("other.cvd"), 0);
    EXPECT_EQ(LastStatus(), Text(114));
    EXPECT_FALSE(dir.Exists("other.cvd"));

    // A name that would leave the game directory is never written.
    EXPECT_EQ(Begin("..\\escape.cvd"), 0);
    EXPECT_EQ(LastStatus(), Text(116));

    server->Put("other.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "");
    EXPECT_EQ(Begin("other.cvd"), 1);
    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_TRUE(dir.Exists("other.cvd"));
}

TEST_F(WalkTest, ReleaseModePassesOverTestServerVersionsWithoutStoringThem)
{
    options.runMode = kRunRelease;
    server->Put("version.cvd", "\"1.00.01\" \"1.00.02\"");
    server->Put("1.00.01/list.inf", "#TEST_SERVER# t.txt");
    server->Put("1.00.01/t.txt", "test");
    server->Put("1.00.02/list.inf", "#TEST_SERVER# u.txt");
    server->Put("1.00.02/u.txt", "test");

    EXPECT_EQ(Begin(), 1);
    EXPECT_FALSE(dir.Exists("t.txt"));
    EXPECT_FALSE(dir.Exists("u.txt"));
    EXPECT_EQ(Config("Version"), "<none>");
    EXPECT_EQ(session->installedVersion.patch, 2);  // advanced in memory only

    // A later normal version is installed and stored.
    server->Put("version.cvd", "\"1.00.01\" \"1.00.03\"");
    server->Put("1.00.03/list.inf", "n.txt");
    server->Put("1.00.03/n.txt", "normal");
    session->installedVersion = {0, 0, 0};
    EXPECT_EQ(Begin(), 1);
    EXPECT_FALSE(dir.Exists("t.txt"));
    EXPECT_EQ(dir.Read("n.txt"), "normal");
    EXPECT_EQ(Config("Version"), "1.00.03");
    EXPECT_FALSE(WasFetched("1.00.01/t.txt"));
}

TEST_F(WalkTest, TestModeStoresTestVersionAndVersionOnlyAfterANormalList)
{
    options.runMode = kRunTest;
    server->Put("version.cvd", "\"1.00.01\" \"1.00.02\"");
    server->Put("1.00.01/list.inf", "n.txt");
    server->Put("1.00.01/n.txt", "normal");
    server->Put("1.00.02/list.inf", "#TEST_SERVER# t.txt");
    server->Put("1.00.02/t.txt", "test");

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(dir.Read("t.txt"), "test");
    EXPECT_EQ(Config("TestVersion"), "1.00.02");
    EXPECT_EQ(Config("Version"), "1.00.01");
}

TEST_F(WalkTest, LocalModeInstallsButNeverStores)
{
    options.runMode = kRunLocal;
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "n.txt");
    server->Put("1.00.01/n.txt", "normal");

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(dir.Read("n.txt"), "normal");
    EXPECT_FALSE(dir.Exists("config.ini"));
}

TEST_F(WalkTest, StraySweepDeletesDataFilesOfTheGameDirectoryOnly)
{
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "keep.ini 1 data x.dat");
    server->Put("1.00.01/keep.ini", "k");
    server->Put("1.00.01/x.dat", "x");
    dir.Write("ring.OZJ", "marker");
    dir.Write("old.txt", "old");
    dir.Write("old.BMD", "old");

    EXPECT_EQ(Begin(), 1);
    EXPECT_FALSE(dir.Exists("ring.OZJ"));
    EXPECT_FALSE(dir.Exists("old.txt"));
    EXPECT_FALSE(dir.Exists("old.BMD"));
    EXPECT_TRUE(dir.Exists("keep.ini"));
    EXPECT_TRUE(dir.Exists("data\\x.dat"));  // subdirectories are left alone
    EXPECT_EQ(Config("Version"), "1.00.01");
}

} // namespace
