// Versions that fail: missing and empty files, corrupt compressed data, a server
// that vanishes in the middle of a file, names that would leave the game directory,
// and the user's stop in the middle of a transfer.
#include "tests/win/patch_ftp_engine.h"

#include <string>

namespace {

using FailureTest = FtpEngineTest;

// The state after a failed version: text 138 in the error style, nothing stored or
// reported ready, the connection still open.
void ExpectFailedVersion(const FakeReporter& reporter, const PatchSession& session)
{
    ASSERT_FALSE(reporter.statuses.empty());
    EXPECT_EQ(reporter.statuses.back().text, g_msg.Get(138));
    EXPECT_EQ(reporter.statuses.back().style, FakeReporter::kStatusError);
    EXPECT_EQ(reporter.enterReadyCalls, 0);
    EXPECT_NE(session.ftpHandle, nullptr);
}

TEST_F(FailureTest, AFileMissingOnTheServerOrListedWithSizeZeroFailsTheVersion)
{
    server->Put("version.cvd", "\"1.00.01\" \"1.00.02\"");
    server->Put("1.00.01/list.inf", "a.txt missing.txt");
    server->Put("1.00.01/a.txt", "a");

    EXPECT_EQ(Begin(), 1);  // the walk ran; its failure is on the status line
    ExpectFailedVersion(reporter, *session);
    EXPECT_FALSE(dir.Exists("a.txt"));           // nothing installed
    EXPECT_TRUE(dir.Exists("Temp\\a.txt"));      // kept for the next run
    EXPECT_FALSE(WasFetched("1.00.02/list.inf"));
    EXPECT_EQ(Config("Version"), "<none>");
    EXPECT_EQ(session->installedVersion.patch, 0);

    // The next run resumes: only the file that was missing is fetched now...
    server->Put("1.00.01/missing.txt", "");
    FakeReporter second;
    PatchEngine engine2(*session, options, second);
    EXPECT_EQ(engine2.BeginPatch("127.0.0.1", server->Port(), "patch", "patch", "version.cvd"), 1);
    // ...but a size of 0 cannot be fetched either.
    ASSERT_FALSE(second.statuses.empty());
    EXPECT_EQ(second.statuses.back().text, Text(138));
    EXPECT_EQ(Config("Version"), "<none>");
    EXPECT_FALSE(dir.Exists("Temp\\missing.txt"));
}

TEST_F(FailureTest, CorruptCompressedDataFailsAndTheDownloadStays)
{
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "#COMPRESSED# \"good.bmd.bz_\" \"bad.bmd.bz_\"");
    server->Put("1.00.01/good.bmd.bz_", Bzip2("good"));
    server->Put("1.00.01/bad.bmd.bz_", "BZh9 this is not a bzip2 stream at all");

    EXPECT_EQ(Begin(), 1);
    ExpectFailedVersion(reporter, *session);
    EXPECT_TRUE(dir.Exists("Temp\\bad.bmd.bz_"));
    EXPECT_EQ(dir.Read("Temp\\good.bmd"), "good");
    EXPECT_FALSE(dir.Exists("good.bmd"));
    EXPECT_FALSE(dir.Exists("bad.bmd"));
    EXPECT_EQ(Config("Version"), "<none>");
}

class DroppingServerTest : public FtpEngineTest {
protected:
    std::string ServerOptions() override { return "--drop-file big.bin --drop-after 40000"; }
};

TEST_F(DroppingServerTest, AServerThatVanishesInTheMiddleOfAFileFailsTheVersion)
{
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "small.txt big.bin");
    server->Put("1.00.01/small.txt", "small");
    server->Put("1.00.01/big.bin", std::string(200000, 'z'));

    EXPECT_EQ(Begin(), 1);
    ExpectFailedVersion(reporter, *session);
    EXPECT_FALSE(dir.Exists("Temp\\big.bin"));  // no partial file
    EXPECT_TRUE(dir.Exists("Temp\\small.txt"));
    EXPECT_FALSE(dir.Exists("big.bin"));
    std::vector<FtpTestServer::Transfer> transfers = server->Transfers();
    ASSERT_FALSE(transfers.empty());
    EXPECT_EQ(transfers.back().file, "1.00.01/big.bin");
    EXPECT_FALSE(transfers.back().completed);
    EXPECT_LE(transfers.back().bytes, 40000);
}

TEST_F(FailureTest, NamesThatWouldLeaveTheGameDirectoryFetchAndWriteNothing)
{
    const char* lists[] = {
        "ok.txt \"..\\evil.dll\"",
        "ok.txt \"C:\\x\"",
        "ok.txt \"\\\\host\\share\\x\"",
        "ok.txt 1 \"..\\up\" \"f.txt\"",
        "ok.txt 1 \"C:\\\" f.txt",
        "ok.txt \"sub/../../evil.dll\"",
        "#COMPRESSED# \"ok.txt.bz_\" \"abc\"",
        "#COMPRESSED# \"ok.txt.bz_\" \"a.b.c\"",
        "#COMPRESSED# \"ok.txt.bz_\" \"..\\.bz_\"",
        "ok.txt \"nul.txt\"",
    };
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/ok.txt", "ok");
    server->Put("1.00.01/ok.txt.bz_", Bzip2("ok"));
    for (const char* list : lists) {
        SCOPED_TRACE(list);
        server->Put("1.00.01/list.inf", list);
        FakeReporter fresh;
        PatchEngine walker(*session, options, fresh);
        size_t before = server->Transfers().size();
        EXPECT_EQ(walker.BeginPatch("127.0.0.1", server->Port(), "patch", "patch", "version.cvd"), 1);
        ASSERT_FALSE(fresh.statuses.empty());
        EXPECT_EQ(fresh.statuses.back().text, Text(138));
        // Only the catalogue and the list were read: no file of the version.
        std::vector<FtpTestServer::Transfer> transfers = server->Transfers();
        EXPECT_EQ(transfers.size(), before + 2);
        EXPECT_FALSE(dir.Exists("ok.txt"));
        EXPECT_FALSE(dir.Exists("Temp\\ok.txt"));
        EXPECT_FALSE(dir.Exists("..\\evil.dll"));
        EXPECT_FALSE(dir.Exists("..\\up"));
        EXPECT_EQ(GetFileAttributesA("C:\\x"), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(Config("Version"), "<none>");
}

// Holds "patch.log" open for reading only: every other opener may read it, but no
// append or delete succeeds while the lock lives.
class LogLock {
public:
    explicit LogLock(const std::string& path)
        : m_file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~LogLock() { CloseHandle(m_file); }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;
    bool Held() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_file;
};

TEST_F(FailureTest, ALogThatCannotBeWrittenEndsTheVersionWith137AndStoresNothing)
{
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "a.txt");
    server->Put("1.00.01/a.txt", "a");

    // The log of this version cannot be appended to: the file is fetched but cannot
    // be logged, so it would never be installed.
    dir.Write("patch.log", "V 1.0.1\n");
    {
        LogLock lock(dir.File("patch.log"));
        ASSERT_TRUE(lock.Held());
        EXPECT_EQ(Begin(), 1);
    }
    EXPECT_TRUE(WasFetched("1.00.01/a.txt"));
    EXPECT_EQ(LastStatus(), Text(137));
    EXPECT_TRUE(LastStatusIsError());
    EXPECT_FALSE(dir.Exists("a.txt"));
    EXPECT_EQ(Config("Version"), "<none>");
    EXPECT_EQ(reporter.enterReadyCalls, 0);

    // A log of another version that cannot be replaced: its files must not be
    // installed as this version's, and nothing is fetched.
    dir.Write("patch.log", "V 0.9.9\nF old.txt\n");
    dir.Write("Temp\\old.txt", "left by 0.9.9");
    size_t transfers = server->Transfers().size();
    {
        LogLock lock(dir.File("patch.log"));
        ASSERT_TRUE(lock.Held());
        EXPECT_EQ(Begin(), 1);
    }
    EXPECT_EQ(LastStatus(), Text(137));
    EXPECT_EQ(server->Transfers().size(), transfers + 1);  // the catalogue only
    EXPECT_FALSE(dir.Exists("old.txt"));
    EXPECT_EQ(Config("Version"), "<none>");
}

TEST_F(FailureTest, ANameCutAtTheScannersLimitIsRefused)
{
    std::string longName(120, 'n');
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "\"" + longName + "\"");
    server->Put("1.00.01/" + longName.substr(0, 99), "cut");

    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(LastStatus(), Text(138));
    EXPECT_FALSE(dir.Exists(longName.substr(0, 99).c_str()));
}

TEST_F(FailureTest, CloseDuringATransferDeletesThePartialFileAndKeepsTheIdleState)
{
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "first.txt big.bin");
    server->Put("1.00.01/first.txt", "first");
    server->Put("1.00.01/big.bin", std::string(200000, 'q'));
    int firstPumpOfBig = 0;
    reporter.onPump = [&](int number) {
        // The Close button: stop flag, connections closed, idle status.
        if (firstPumpOfBig == 0 && reporter.CounterText(kFileCounter) == Text(12) + "2/2")
            firstPumpOfBig = number;
        if (firstPumpOfBig && number == firstPumpOfBig + 5) {
            session->stopped = 1;
            engine->CloseFtp();
            reporter.ShowStatus(g_msg.Get(126));
        }
    };

    EXPECT_EQ(Begin(), 1);
    EXPECT_NE(firstPumpOfBig, 0);
    EXPECT_EQ(LastStatus(), Text(126));  // not overwritten by a failure text
    EXPECT_FALSE(ShowedStatus(138));
    EXPECT_FALSE(dir.Exists("Temp\\big.bin"));
    EXPECT_TRUE(dir.Exists("Temp\\first.txt"));
    EXPECT_FALSE(dir.Exists("big.bin"));
    EXPECT_EQ(session->stopped, 1);
    EXPECT_EQ(session->ftpHandle, nullptr);
    EXPECT_EQ(session->remoteFile, nullptr);
    EXPECT_EQ(reporter.enterReadyCalls, 0);
    EXPECT_EQ(Config("Version"), "<none>");
    // The log names the complete file only, for the next run (a text file: CRLF).
    EXPECT_EQ(dir.Read("patch.log"), "V 1.0.1\r\nF first.txt\r\n");
}

TEST_F(FailureTest, AStopBetweenTwoEntriesEndsTheWalkWithoutAnotherTransfer)
{
    server->Put("version.cvd", "\"1.00.01\" \"1.00.02\"");
    server->Put("1.00.01/list.inf", "a.txt b.txt");
    server->Put("1.00.01/a.txt", "a");
    server->Put("1.00.01/b.txt", "b");
    // a.txt arrives in one block: pump 1 is its block, pump 2 the one after its entry.
    reporter.StopAtPump(*session, 2);

    EXPECT_EQ(Begin(), 1);
    EXPECT_FALSE(WasFetched("1.00.01/b.txt"));
    EXPECT_FALSE(ShowedStatus(138));
    EXPECT_FALSE(WasFetched("1.00.02/list.inf"));
    EXPECT_FALSE(dir.Exists("a.txt"));
}

} // namespace
