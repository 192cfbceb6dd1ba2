// A patch server that freezes in the middle of a file (no data, no reply, the
// connections kept open, as after SIGSTOP): the launcher's window keeps working, the
// transfer ends like a dropped one once the stall bound passes, and the Close button
// ends it at once.
#include "tests/win/patch_ftp_engine.h"

#include <string>

namespace {

const DWORD kShortBoundMs = 1500;

class StallTest : public FtpEngineTest {
protected:
    // The server sleeps for 60 s once 20,000 bytes of big.bin are out.
    std::string ServerOptions() override
    {
        return "--stall-file big.bin --stall-after 20000 --stall-seconds 60";
    }

    void PutPatch()
    {
        server->Put("version.cvd", "\"1.00.01\"");
        server->Put("1.00.01/list.inf", "first.txt big.bin");
        server->Put("1.00.01/first.txt", "first");
        server->Put("1.00.01/big.bin", std::string(400000, 'q'));
    }

    // Begin with a timer that posts a message every 50 ms; returns the time taken.
    DWORD TimedBegin()
    {
        UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
        DWORD start = GetTickCount();
        EXPECT_EQ(Begin(), 1);
        DWORD taken = GetTickCount() - start;
        KillTimer(nullptr, timer);
        return taken;
    }

    // Nothing of the frozen file is left, the complete one stays for the next run,
    // nothing is installed or stored, every handle is closed.
    void ExpectEndedCleanly()
    {
        EXPECT_FALSE(dir.Exists("Temp\\big.bin"));
        EXPECT_FALSE(dir.Exists("big.bin"));
        EXPECT_TRUE(dir.Exists("Temp\\first.txt"));
        EXPECT_EQ(dir.Read("patch.log"), "V 1.0.1\r\nF first.txt\r\n");
        EXPECT_EQ(Config("Version"), "<none>");
        EXPECT_EQ(reporter.enterReadyCalls, 0);
        EXPECT_EQ(session->remoteFile, nullptr);
        EXPECT_EQ(session->ftpHandle, nullptr);
        EXPECT_EQ(session->internetHandle, nullptr);
    }

    bool InBigFile() const { return reporter.CounterText(kFileCounter) == Text(12) + "2/2"; }
};

TEST_F(StallTest, AFrozenServerEndsTheTransferLikeADroppedOneWhileTheWindowWorks)
{
    PutPatch();
    engine->SetStallBoundMs(kShortBoundMs);
    int pumpsInBigFile = 0;
    reporter.onPump = [&](int) {
        if (InBigFile())
            ++pumpsInBigFile;
    };

    DWORD taken = TimedBegin();

    EXPECT_GE(taken, kShortBoundMs);
    EXPECT_LT(taken, 30000u);  // long before the server wakes
    EXPECT_EQ(LastStatus(), Text(138));
    EXPECT_TRUE(LastStatusIsError());
    // The timer's messages were taken during the stall: at least one per 100 ms.
    EXPECT_GE(pumpsInBigFile, static_cast<int>(kShortBoundMs / 100));
    ExpectEndedCleanly();
}

TEST_F(StallTest, CloseDuringTheStallEndsTheTransferAtOnce)
{
    PutPatch();
    engine->SetStallBoundMs(120000);  // longer than the stall: only Close can end it
    DWORD firstInBig = 0;
    DWORD closedAt = 0;
    reporter.onPump = [&](int) {
        if (!InBigFile() || closedAt)
            return;
        if (!firstInBig)
            firstInBig = GetTickCount();
        if (GetTickCount() - firstInBig >= 1000) {
            // The Close button: stop flag, connections closed, idle status.
            closedAt = GetTickCount();
            session->stopped = 1;
            engine->CloseFtp();
            reporter.ShowStatus(g_msg.Get(126));
        }
    };

    TimedBegin();
    DWORD returned = GetTickCount();

    ASSERT_NE(closedAt, 0u);
    EXPECT_LT(returned - closedAt, 5000u);
    EXPECT_EQ(LastStatus(), Text(126));  // not overwritten by a failure text
    EXPECT_FALSE(ShowedStatus(138));
    EXPECT_EQ(session->stopped, 1);
    ExpectEndedCleanly();
}

} // namespace
