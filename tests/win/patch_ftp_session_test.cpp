// Sessions as the player meets them: a failed connect or walk leaves a Close that
// quits and a Connect that retries, a reply that comes in while a walk runs is run
// after it (unless Close drops it), and a catalogue with nothing newer ends like a
// complete walk.
#include "tests/win/patch_ftp_engine.h"

#include <string>

#include "tests/win/MessageBoxWatcher.h"

namespace {

using SessionTest = FtpEngineTest;

int CatalogueFetches(const FtpTestServer& server)
{
    int count = 0;
    for (const FtpTestServer::Transfer& t : server.Transfers())
        count += t.file == "version.cvd" && t.completed;
    return count;
}

// One version of two small files; the first pump is during the first file.
void PutTwoFiles(const FtpTestServer& server)
{
    server.Put("version.cvd", "\"1.00.01\"");
    server.Put("1.00.01/list.inf", "a.txt b.txt");
    server.Put("1.00.01/a.txt", "a");
    server.Put("1.00.01/b.txt", "b");
}

TEST_F(SessionTest, AFailedFtpConnectShows135AndLeavesNoOpenHandle)
{
    MessageBoxWatcher boxes;
    // Nothing listens on port 1; the second attempt logs in with a wrong password.
    EXPECT_EQ(engine->BeginPatch("127.0.0.1", 1, "patch", "patch", "version.cvd"), 0);
    EXPECT_EQ(engine->BeginPatch("127.0.0.1", server->Port(), "patch", "wrong", "version.cvd"), 0);

    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, Text(135));
    EXPECT_EQ(boxes.boxes[1].text, Text(135));
    EXPECT_EQ(session->ftpHandle, nullptr);
    EXPECT_EQ(session->internetHandle, nullptr);
    EXPECT_EQ(session->stopped, 1);
    EXPECT_EQ(reporter.offerRetryCalls, 2);
    EXPECT_EQ(reporter.enterReadyCalls, 0);

    // The next reply runs as usual.
    server->Put("version.cvd", "");
    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(LastStatus(), Text(123));
}

TEST_F(SessionTest, ACatalogueWithNothingNewerEndsReadyWithTheConnectionClosed)
{
    session->installedVersion = {1, 0, 5};
    server->Put("version.cvd", "\"1.00.01\" \"1.00.05\"");

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_FALSE(LastStatusIsError());
    EXPECT_EQ(reporter.LastCaption(), Text(147));
    EXPECT_EQ(reporter.CounterText(kVersionCounter), Text(13) + "2/2");
    EXPECT_EQ(reporter.enterReadyCalls, 1);
    EXPECT_EQ(session->ftpHandle, nullptr);
    EXPECT_EQ(session->internetHandle, nullptr);
    EXPECT_EQ(session->stopped, 1);
    EXPECT_FALSE(WasFetched("1.00.01/list.inf"));
    EXPECT_FALSE(WasFetched("1.00.05/list.inf"));
    EXPECT_EQ(Config("Version"), "<none>");
}

TEST_F(SessionTest, AFailedWalkKeepsItsErrorLetsCloseQuitAndOffersConnect)
{
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "missing.txt");

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(LastStatus(), Text(138));
    EXPECT_TRUE(LastStatusIsError());
    // Close reads stopped: 1 means no patch runs, so it quits.
    EXPECT_EQ(session->stopped, 1);
    EXPECT_EQ(reporter.offerRetryCalls, 1);
    EXPECT_EQ(reporter.enterReadyCalls, 0);
}

TEST_F(SessionTest, AReplyDuringAStoppedWalkRunsOnceTheWalkHasEnded)
{
    PutTwoFiles(*server);
    int nested = -1;
    reporter.onPump = [&](int number) {
        if (number != 1)
            return;
        // Close during the walk, then Connect, and the patch server's reply.
        session->stopped = 1;
        engine->CloseFtp();
        nested = Begin();
    };

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(CatalogueFetches(*server), 2);
    EXPECT_EQ(dir.Read("a.txt"), "a");
    EXPECT_EQ(dir.Read("b.txt"), "b");
    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_EQ(reporter.enterReadyCalls, 1);
    EXPECT_EQ(reporter.offerRetryCalls, 0);
    EXPECT_EQ(session->stopped, 1);
    EXPECT_EQ(Config("Version"), "1.00.01");
}

TEST_F(SessionTest, CloseDropsAReplyThatWaitsForTheWalk)
{
    PutTwoFiles(*server);
    reporter.onPump = [&](int number) {
        if (number != 1)
            return;
        session->stopped = 1;
        engine->CloseFtp();
        Begin();
        // The second Close quits: the waiting reply must not start a walk.
        engine->CloseFtp();
    };

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(CatalogueFetches(*server), 1);
    EXPECT_FALSE(WasFetched("1.00.01/b.txt"));
    EXPECT_FALSE(dir.Exists("a.txt"));
    EXPECT_EQ(reporter.offerRetryCalls, 0);
    EXPECT_EQ(session->stopped, 1);
}

} // namespace
