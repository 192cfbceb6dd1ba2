// Listing a version directory and transferring single files over real FTP.
#include "tests/win/patch_ftp_engine.h"
#include "tests/win/MessageBoxWatcher.h"

#include <string>
#include <thread>

namespace {

using DownloadTest = FtpEngineTest;

TEST_F(DownloadTest, ListingKeepsFilesOnlyAndFindsNamesInAnyLetterCase)
{
    server->Put("v/Alpha.BMD", "12345");
    server->Put("v/beta.txt", "");
    server->Put("v/sub/inner.txt", "not in this directory");
    OpenInto("v");

    engine->ListRemoteFiles();

    EXPECT_EQ(session->remoteFileCount, 2);
    EXPECT_EQ(engine->FindRemoteFileSize("alpha.bmd"), 5);
    EXPECT_EQ(engine->FindRemoteFileSize("ALPHA.BMD"), 5);
    EXPECT_EQ(engine->FindRemoteFileSize("beta.txt"), 0);
    EXPECT_EQ(engine->FindRemoteFileSize("sub"), -1);
    EXPECT_EQ(engine->FindRemoteFileSize("."), -1);
    EXPECT_EQ(engine->FindRemoteFileSize("inner.txt"), -1);
    EXPECT_EQ(engine->FindRemoteFileSize("alpha.bm"), -1);
}

TEST_F(DownloadTest, MoreThan999FilesRaiseText136OnceAndKeep999)
{
    for (int i = 0; i < 1003; ++i)
        server->Put("v/f" + std::to_string(i) + ".dat", "x");
    OpenInto("v");
    MessageBoxWatcher boxes;

    engine->ListRemoteFiles();

    EXPECT_EQ(session->remoteFileCount, 999);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, Text(136));
    int found = 0;
    for (int i = 0; i < 1003; ++i)
        found += engine->FindRemoteFileSize(("f" + std::to_string(i) + ".dat").c_str()) == 1;
    EXPECT_EQ(found, 999);
}

TEST_F(DownloadTest, TransferDrivesTheBarAndCaptionFromTheFirstToTheLastBlockOnItsScale)
{
    server->Put("v/three.bin", std::string(3 * 2048, 't'));
    server->Put("v/one.bin", "one");
    OpenInto("v");
    engine->ListRemoteFiles();
    session->stopped = 0;

    EXPECT_EQ(engine->DownloadFile("Temp\\three.bin", "three.bin"), 1);
    EXPECT_EQ(dir.Read("Temp\\three.bin"), std::string(3 * 2048, 't'));
    EXPECT_EQ(reporter.LastBarRange(kUpperBar), 100);
    // The first block is drawn at once; the others only as the redraw pace allows (on
    // loopback they usually all come within one interval). The file's end, if it came
    // between two redraws, waits for the end of the list, and is drawn then once.
    engine->ShowHeldTransferProgress();
    const size_t drawn = reporter.barEvents.size();
    engine->ShowHeldTransferProgress();
    EXPECT_EQ(reporter.barEvents.size(), drawn);
    std::vector<int> positions = reporter.BarPositions(kUpperBar);
    ASSERT_GE(positions.size(), 2u);
    EXPECT_EQ(positions.front(), 33);
    EXPECT_EQ(positions.back(), 100);
    EXPECT_LE(positions.size(), 3u);
    EXPECT_EQ(reporter.captions.back(), Text(145) + " (100%)");
    EXPECT_EQ(reporter.captions.front(), Text(145) + " (33%)");
    EXPECT_EQ(reporter.pumps, 3);
    EXPECT_EQ(session->remoteFile, nullptr);
    EXPECT_EQ(session->stopped, 0);

    // In a compressed list the download fills half of the bar.
    reporter.barEvents.clear();
    session->listCompressed = 1;
    EXPECT_EQ(engine->DownloadFile("Temp\\one.bin", "ONE.BIN"), 1);
    engine->ShowHeldTransferProgress();
    EXPECT_EQ(reporter.BarPositions(kUpperBar), std::vector<int>{50});
    EXPECT_EQ(dir.Read("Temp\\one.bin"), "one");
}

TEST_F(DownloadTest, AStopDuringTheLastBlockStillCompletesTheFile)
{
    server->Put("v/two.bin", std::string(4000, 'w'));
    OpenInto("v");
    engine->ListRemoteFiles();
    session->stopped = 0;
    reporter.StopAtPump(*session, 2);

    EXPECT_EQ(engine->DownloadFile("Temp\\two.bin", "two.bin"), 1);
    EXPECT_EQ(dir.Read("Temp\\two.bin"), std::string(4000, 'w'));
}

TEST_F(DownloadTest, ALocalFileThatCannotBeCreatedShows137)
{
    server->Put("v/a.bin", "a");
    OpenInto("v");
    engine->ListRemoteFiles();
    session->stopped = 0;

    EXPECT_EQ(engine->DownloadFile("Temp\\no such dir\\a.bin", "a.bin"), 0);
    EXPECT_EQ(LastStatus(), Text(137));
    EXPECT_TRUE(LastStatusIsError());
    EXPECT_EQ(session->remoteFile, nullptr);
}

TEST_F(DownloadTest, TheOpenIsRetriedUntilTheFileIsThere)
{
    server->Put("v/late.bin", "late content");
    OpenInto("v");
    engine->ListRemoteFiles();
    session->stopped = 0;
    // Listed, but gone when it is opened; it comes back after about a second.
    server->Remove("v/late.bin");
    std::thread restore([this] {
        Sleep(1000);
        server->Put("v/late.bin", "late content");
    });

    DWORD start = GetTickCount();
    int result = engine->DownloadFile("Temp\\late.bin", "late.bin");
    DWORD took = GetTickCount() - start;
    restore.join();

    EXPECT_EQ(result, 1);
    EXPECT_EQ(dir.Read("Temp\\late.bin"), "late content");
    EXPECT_GE(took, 900u);
}

TEST_F(DownloadTest, AnOpenThatNeverSucceedsGivesUpAfterAHundredTriesWithText125)
{
    server->Put("v/gone.bin", "gone");
    OpenInto("v");
    engine->ListRemoteFiles();
    session->stopped = 0;
    server->Remove("v/gone.bin");

    DWORD start = GetTickCount();
    EXPECT_EQ(engine->DownloadFile("Temp\\gone.bin", "gone.bin"), 0);
    DWORD took = GetTickCount() - start;

    EXPECT_EQ(LastStatus(), Text(125));
    EXPECT_FALSE(LastStatusIsError());
    EXPECT_FALSE(dir.Exists("Temp\\gone.bin"));
    // 99 waits of 100 ms between the 100 attempts.
    EXPECT_GE(took, 9900u);
}

} // namespace
