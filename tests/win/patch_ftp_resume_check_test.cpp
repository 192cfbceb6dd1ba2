// Resuming a version from "patch.log" when its Temp copies are gone or bad: a logged
// file whose copy is missing or does not match the manifest is fetched again (and
// counted once), and a log that names what the version does not hold is started again
// instead of failing the same way at every start.
#include <gtest/gtest.h>

#include "tests/win/SignedServing.h"
#include "tests/win/patch_ftp_engine.h"

namespace {

class ResumeCheckTest : public FtpEngineTest {
protected:
    void ServeSigned(const std::string& list, const std::vector<ServedFile>& files)
    {
        g_publisherKeys = TestPublisherKeys();
        std::string catalogue = "\"1.00.01\"";
        server->Put("version.cvd", catalogue);
        server->Put("version.cvd.sig", SignatureText(kSignedCatalogue, catalogue, TestKeySeed()));
        server->Put("1.00.01/list.inf", list);
        for (const ServedFile& file : files)
            server->Put("1.00.01/" + file.path, file.served);
        std::string manifest = ManifestText("1.00.01", list, files);
        server->Put("1.00.01/manifest.txt", manifest);
        server->Put("1.00.01/manifest.txt.sig", SignatureText(kSignedManifest, manifest, TestKeySeed()));
    }

    int Count(const std::string& file) const
    {
        int n = 0;
        for (const std::string& f : Fetched())
            n += f == file ? 1 : 0;
        return n;
    }
};

TEST_F(ResumeCheckTest, ALoggedFileMissingFromTempIsFetchedAgainAndCountedOnce)
{
    // What a kill during the old clean-up left: the log whole, one Temp copy deleted.
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "a.txt b.txt");
    server->Put("1.00.01/a.txt", "a from server");
    server->Put("1.00.01/b.txt", "b from server");
    dir.Write("patch.log", "V 1.0.1\nF a.txt\nF b.txt\n");
    dir.Write("Temp\\b.txt", "b fetched before");

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_EQ(Count("1.00.01/a.txt"), 1);
    EXPECT_EQ(Count("1.00.01/b.txt"), 0);
    EXPECT_EQ(dir.Read("a.txt"), "a from server");
    EXPECT_EQ(dir.Read("b.txt"), "b fetched before");
    EXPECT_EQ(Config("Version"), "1.00.01");
    EXPECT_FALSE(dir.Exists("patch.log"));
    EXPECT_FALSE(dir.Exists("Temp\\a.txt"));
    EXPECT_EQ(reporter.CounterText(kFileCounter), Text(12) + "2/2");
    EXPECT_EQ(reporter.LastBarPos(kLowerBar), 2);
}

TEST_F(ResumeCheckTest, ALoggedCopyThatNoLongerMatchesIsFetchedAgain)
{
    ServeSigned("a.txt b.txt", {{"a.txt", "a signed", "a signed"}, {"b.txt", "b signed", "b signed"}});
    dir.Write("patch.log", "V 1.0.1\nF a.txt\nF b.txt\n");
    dir.Write("Temp\\a.txt", "a changed in Temp");
    dir.Write("Temp\\b.txt", "b signed");

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_EQ(Count("1.00.01/a.txt"), 1);
    EXPECT_EQ(Count("1.00.01/b.txt"), 0);
    EXPECT_EQ(dir.Read("a.txt"), "a signed");
    EXPECT_EQ(dir.Read("b.txt"), "b signed");
    EXPECT_EQ(Config("Version"), "1.00.01");
}

TEST_F(ResumeCheckTest, ALogNamingAFileTheVersionDoesNotHoldStartsTheVersionAgain)
{
    ServeSigned("a.txt", {{"a.txt", "a signed", "a signed"}});
    dir.Write("patch.log", "V 1.0.1\nF a.txt\nF zr.exe\n");
    dir.Write("Temp\\a.txt", "a signed");
    dir.Write("Temp\\zr.exe", "not from the publisher");

    EXPECT_EQ(Begin(), 1);

    // Nothing installed, the log gone: the next run starts the version afresh.
    EXPECT_EQ(LastStatus(), Text(148));
    EXPECT_TRUE(LastStatusIsError());
    EXPECT_FALSE(dir.Exists("a.txt"));
    EXPECT_FALSE(dir.Exists("zr._xe"));
    EXPECT_FALSE(dir.Exists("zr.exe"));
    EXPECT_EQ(Config("Version"), "<none>");
    EXPECT_FALSE(dir.Exists("patch.log"));

    engine.reset(new PatchEngine(*session, options, reporter));
    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_EQ(dir.Read("a.txt"), "a signed");
    EXPECT_FALSE(dir.Exists("zr._xe"));
    EXPECT_EQ(Config("Version"), "1.00.01");
}

TEST_F(ResumeCheckTest, TheLogOfTheInstalledVersionLeftByACutCleanUpIsRemoved)
{
    // Killed after the version was stored, while Temp was emptied.
    server->Put("version.cvd", "\"1.00.01\"");
    session->installedVersion = {1, 0, 1};
    dir.Write("patch.log", "V 1.0.1\nF a.txt\nF b.txt\n");
    dir.Write("Temp\\b.txt", "b installed already");
    dir.Write("b.txt", "b installed already");

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_FALSE(dir.Exists("patch.log"));
    EXPECT_FALSE(dir.Exists("Temp\\b.txt"));
    EXPECT_EQ(dir.Read("b.txt"), "b installed already");
    EXPECT_EQ(Fetched(), std::vector<std::string>{"version.cvd"});
}

} // namespace
