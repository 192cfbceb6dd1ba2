// Repair runs against the real FTP test server with signed versions: damaged, missing,
// truncated files and a removed directory restored byte for byte, nothing else touched,
// the launcher repaired through the self-update path, an intact directory left alone,
// a file the server lacks named while the rest is repaired, and unsigned manifests
// refused.
#include "tests/win/patch_ftp_engine.h"

#include <sodium/crypto_sign_ed25519.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/MessageIds.h"
#include "patch/HexText.h"
#include "patch/LauncherKeys.h"
#include "patch/Manifest.h"
#include "patch/Sha256.h"
#include "patch/Signature.h"

namespace {

const char kTestSeed[] = "91249a003a2e6a7e1c9ff460fd45ad7818b3903c9ec937d34ea8b52b6e748a01";

struct Shipped {
    std::string directory;   // "" or "data\\sub"
    std::string name;        // as installed
    std::string bytes;
};

std::string Pattern(size_t size, int seed)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7919 + seed) >> 3);
    return bytes;
}

class RepairTest : public FtpEngineTest {
protected:
    void SetUp() override
    {
        FtpEngineTest::SetUp();
        uint8_t seed[32], publicKey[32];
        ASSERT_EQ(BytesFromHex(kTestSeed, 64, seed, 32, false), 1);
        crypto_sign_ed25519_seed_keypair(publicKey, m_secret, seed);
        g_publisherKeys.count = 1;
        memcpy(g_publisherKeys.keys[0], publicKey, sizeof publicKey);
        options.repair = 1;
    }

    std::string Sign(SignedKind kind, const std::string& bytes)
    {
        std::vector<uint8_t> message = SignedMessage(kind, bytes.data(), bytes.size());
        uint8_t signature[kSignatureBytes];
        crypto_sign_ed25519_detached(signature, nullptr, message.data(), message.size(), m_secret);
        return SignatureFileText(signature);
    }

    // Publishes a signed version: its files, list, manifest and signature.
    void Publish(const std::string& version, bool compressed, const std::vector<Shipped>& files)
    {
        std::string list = compressed ? "#COMPRESSED#\n" : "";
        Manifest manifest;
        manifest.version = version;
        std::string current;
        for (const Shipped& file : files) {
            if (file.directory != current) {
                list += "1 \"" + file.directory + "\"\n";
                current = file.directory;
            }
            std::string listed = file.name + (compressed ? ".bz2" : "");
            std::string served = compressed ? Bzip2(file.bytes) : file.bytes;
            list += "\"" + listed + "\"\n";
            server->Put(version + "/" + listed, served);
            ManifestEntry entry;
            entry.path = current.empty() ? listed : current + "\\" + listed;
            entry.servedSize = served.size();
            entry.servedHash = HashBytesSha256(served.data(), served.size());
            entry.installedSize = file.bytes.size();
            entry.installedHash = HashBytesSha256(file.bytes.data(), file.bytes.size());
            manifest.entries.push_back(entry);
        }
        manifest.listSize = list.size();
        manifest.listHash = HashBytesSha256(list.data(), list.size());
        std::string text = FormatManifest(manifest);
        server->Put(version + "/list.inf", list);
        server->Put(version + "/manifest.txt", text);
        server->Put(version + "/manifest.txt.sig", Sign(kSignedManifest, text));
    }

    void Catalogue(const std::string& text)
    {
        server->Put("version.cvd", text);
        server->Put("version.cvd.sig", Sign(kSignedCatalogue, text));
    }

    void Installed(int minor, int patch)
    {
        session->installedVersion = {1, static_cast<unsigned char>(minor), static_cast<unsigned char>(patch)};
    }

    // Files fetched besides the catalogue, lists, manifests and signatures.
    std::vector<std::string> FetchedContent() const
    {
        std::vector<std::string> content;
        for (const std::string& file : Fetched()) {
            bool meta = file.rfind("version.cvd", 0) == 0 || file.find("/list.inf") != std::string::npos ||
                        file.find("/manifest.txt") != std::string::npos;
            if (!meta)
                content.push_back(file);
        }
        return content;
    }

    FILETIME WriteTime(const char* relative) const
    {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExA(dir.File(relative).c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    }

    static bool SameTime(const FILETIME& a, const FILETIME& b)
    {
        return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
    }

    // Two signed versions installed in the game directory: a.txt changes in the
    // second, which is compressed; player.cfg belongs to no version.
    void PublishAndInstallGame()
    {
        Publish("1.00.01", false,
                {{"", "a.txt", "a, first"}, {"", "d.txt", "d"}, {"", "keep.txt", "kept"},
                 {"data", "b.bmd", Pattern(300000, 1)}, {"data\\sub", "c.wav", Pattern(5000, 2)}});
        Publish("1.00.02", true, {{"", "a.txt", "a, second"}, {"data", "e.bmd", Pattern(70000, 3)}});
        Catalogue("\"1.00.01\" \"1.00.02\"\n");
        Installed(0, 2);
        for (const char* sub : {"data", "data\\sub"})
            CreateDirectoryA(sub, nullptr);
        dir.Write("a.txt", "a, second");
        dir.Write("d.txt", "d");
        dir.Write("keep.txt", "kept");
        dir.Write("data\\b.bmd", Pattern(300000, 1));
        dir.Write("data\\sub\\c.wav", Pattern(5000, 2));
        dir.Write("data\\e.bmd", Pattern(70000, 3));
        dir.Write("player.cfg", "mine");
    }

    void ExpectGameIntact() const
    {
        EXPECT_EQ(dir.Read("a.txt"), "a, second");
        EXPECT_EQ(dir.Read("d.txt"), "d");
        EXPECT_EQ(dir.Read("keep.txt"), "kept");
        EXPECT_EQ(dir.Read("data\\b.bmd"), Pattern(300000, 1));
        EXPECT_EQ(dir.Read("data\\sub\\c.wav"), Pattern(5000, 2));
        EXPECT_EQ(dir.Read("data\\e.bmd"), Pattern(70000, 3));
        EXPECT_EQ(dir.Read("player.cfg"), "mine");
    }

    std::string Summary(int checked, int repaired) const
    {
        char text[256];
        snprintf(text, sizeof text, g_msg.Get(kMsgRepairDone), checked, repaired);
        return text;
    }

    bool ShowedText(const std::string& text) const
    {
        for (const FakeReporter::Status& status : reporter.statuses) {
            if (status.text == text)
                return true;
        }
        return false;
    }

    uint8_t m_secret[64];
};

} // namespace

TEST_F(RepairTest, RestoresDeletedFlippedTruncatedAndRemovedFilesAndTouchesNothingElse)
{
    PublishAndInstallGame();
    Sleep(50);
    FILETIME keepTime = WriteTime("keep.txt"), eTime = WriteTime("data\\e.bmd"),
             playerTime = WriteTime("player.cfg");
    DeleteFileA("d.txt");
    std::string flipped = Pattern(300000, 1);
    flipped[123456] ^= 0x20;
    dir.Write("data\\b.bmd", flipped);
    dir.Write("a.txt", "a, sec");   // truncated: restored to the later version's content
    DeleteFileA("data\\sub\\c.wav");
    ASSERT_TRUE(RemoveDirectoryA("data\\sub"));

    EXPECT_EQ(Begin(), 1);

    ExpectGameIntact();
    std::vector<std::string> fetched = FetchedContent();
    std::sort(fetched.begin(), fetched.end());
    // Version directories are flat: each file under its bare name.
    std::vector<std::string> expected = {"1.00.01/b.bmd", "1.00.01/c.wav", "1.00.01/d.txt",
                                         "1.00.02/a.txt.bz2"};
    EXPECT_EQ(fetched, expected);
    EXPECT_TRUE(SameTime(keepTime, WriteTime("keep.txt")));
    EXPECT_TRUE(SameTime(eTime, WriteTime("data\\e.bmd")));
    EXPECT_TRUE(SameTime(playerTime, WriteTime("player.cfg")));
    // Nothing of the work stays in Temp or the game directory.
    EXPECT_FALSE(dir.Exists("Temp\\a.txt.bz2"));
    EXPECT_FALSE(dir.Exists("Temp\\a.txt"));
    EXPECT_FALSE(dir.Exists("Temp\\data\\b.bmd"));
    EXPECT_FALSE(dir.Exists("Temp\\repair.tmp"));
    EXPECT_FALSE(dir.Exists("list.inf"));
    EXPECT_FALSE(dir.Exists("zr._xe"));
    EXPECT_FALSE(dir.Exists("patch.log"));

    EXPECT_EQ(LastStatus(), Summary(6, 4));
    EXPECT_FALSE(LastStatusIsError());
    EXPECT_TRUE(ShowedStatus(kMsgRepairChecking));
    EXPECT_TRUE(ShowedStatus(kMsgRepairFetching));
    EXPECT_EQ(reporter.enterReadyCalls, 1);
    EXPECT_EQ(reporter.CounterText(kFileCounter), Text(kMsgFilesCounter) + "4/4");
    EXPECT_EQ(options.repair, 0);
    EXPECT_EQ(session->stopped, 1);
    EXPECT_EQ(session->ftpHandle, nullptr);
    EXPECT_EQ(session->installedVersion.patch, 2);
}

TEST_F(RepairTest, AnIntactDirectoryFetchesNothingButTheSignedTexts)
{
    PublishAndInstallGame();
    // A newer version is not the repair's business: the next connection patches it.
    Publish("1.00.03", false, {{"", "new.txt", "new"}});
    Catalogue("\"1.00.01\" \"1.00.02\" \"1.00.03\"\n");

    EXPECT_EQ(Begin(), 1);

    EXPECT_TRUE(FetchedContent().empty());
    EXPECT_FALSE(WasFetched("1.00.03/list.inf"));
    EXPECT_FALSE(dir.Exists("new.txt"));
    ExpectGameIntact();
    EXPECT_EQ(LastStatus(), Summary(6, 0));
    EXPECT_TRUE(WasFetched("version.cvd.sig"));
    EXPECT_TRUE(WasFetched("1.00.01/manifest.txt.sig"));
}

TEST_F(RepairTest, AFileTheServerLacksIsNamedAndTheRestRepaired)
{
    PublishAndInstallGame();
    server->Remove("1.00.01/d.txt");
    DeleteFileA("d.txt");
    dir.Write("keep.txt", "broken");

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(dir.Read("keep.txt"), "kept");
    EXPECT_FALSE(dir.Exists("d.txt"));
    EXPECT_TRUE(LastStatusIsError());
    char text[256];
    snprintf(text, sizeof text, g_msg.Get(kMsgRepairFailedSummary), 6, 1, 1, "d.txt");
    EXPECT_EQ(LastStatus(), text);
    snprintf(text, sizeof text, g_msg.Get(kMsgRepairFileFailed), "d.txt");
    EXPECT_TRUE(ShowedText(text));
    EXPECT_EQ(reporter.enterReadyCalls, 1);
}

TEST_F(RepairTest, ServedBytesThatDifferFromTheManifestAreNotInstalled)
{
    PublishAndInstallGame();
    server->Put("1.00.01/keep.txt", "KEPT");   // same size, other bytes: a forged mirror
    dir.Write("keep.txt", "bad");
    dir.Write("d.txt", "damaged");

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(dir.Read("keep.txt"), "bad");   // left as it was, never the forged bytes
    EXPECT_EQ(dir.Read("d.txt"), "d");
    EXPECT_FALSE(dir.Exists("Temp\\keep.txt"));
    EXPECT_TRUE(LastStatusIsError());
}

TEST_F(RepairTest, AManifestWithoutAValidSignatureStopsTheRepairBeforeAnyFile)
{
    PublishAndInstallGame();
    server->Put("1.00.02/manifest.txt.sig", std::string(128, '0'));
    dir.Write("d.txt", "damaged");

    EXPECT_EQ(Begin(), 1);

    EXPECT_TRUE(FetchedContent().empty());
    EXPECT_EQ(dir.Read("d.txt"), "damaged");
    char text[256];
    snprintf(text, sizeof text, g_msg.Get(kMsgRepairNoManifest), "1.00.02");
    EXPECT_EQ(LastStatus(), text);
    EXPECT_TRUE(LastStatusIsError());
    EXPECT_EQ(reporter.enterReadyCalls, 0);
    EXPECT_EQ(session->ftpHandle, nullptr);
}

TEST_F(RepairTest, ADamagedLauncherIsRestoredThroughTheSelfUpdatePath)
{
    ASSERT_TRUE(CopyFileA((ExecutableDir() + "\\gamerecorder.exe").c_str(), "game.exe", FALSE));
    snprintf(options.passArgs, sizeof options.passArgs, "%s", "/verify");
    Publish("1.00.01", true, {{"", "zr.exe", "the launcher"}, {"", "a.txt", "a"}});
    Catalogue("\"1.00.01\"");
    Installed(0, 1);
    dir.Write("zr.exe", "the launcheR");
    dir.Write("a.txt", "a");

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(dir.Read("zr._xe"), "the launcher");
    EXPECT_EQ(dir.Read("zr.exe"), "the launcheR");   // the running file is never written
    EXPECT_TRUE(engine->Restarting());
    EXPECT_EQ(reporter.enterReadyCalls, 0);
    EXPECT_EQ(LastStatus(), Summary(2, 1));
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    for (int waited = 0; waited < 10000 && dir.Read("gamerecorder.txt").find('\n') == std::string::npos; waited += 50)
        Sleep(50);
    EXPECT_EQ(dir.Read("gamerecorder.txt"), "game.exe connect /verify\n");
}

TEST_F(RepairTest, AStopDuringATransferLeavesEveryFileOldOrRepaired)
{
    PublishAndInstallGame();
    dir.Write("a.txt", "a");
    DeleteFileA("d.txt");
    std::string flipped = Pattern(300000, 1);
    flipped[7] ^= 1;
    dir.Write("data\\b.bmd", flipped);
    // The third file to fetch is b.bmd: the stop comes in the middle of its transfer.
    const std::string third = Text(kMsgFilesCounter) + "3/3";
    int pumpsInThird = 0;
    reporter.onPump = [&](int) {
        if (reporter.CounterText(kFileCounter) == third && LastStatus() == Text(kMsgRepairFetching) &&
            ++pumpsInThird == 20)
            session->stopped = 1;
    };

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(pumpsInThird, 20);
    EXPECT_EQ(dir.Read("a.txt"), "a, second");
    EXPECT_EQ(dir.Read("d.txt"), "d");
    EXPECT_EQ(dir.Read("data\\b.bmd"), flipped);   // as it was: never half-written
    EXPECT_FALSE(dir.Exists("Temp\\b.bmd"));
    EXPECT_FALSE(dir.Exists("Temp\\data\\b.bmd"));
    EXPECT_EQ(reporter.enterReadyCalls, 0);
    EXPECT_EQ(session->ftpHandle, nullptr);
    EXPECT_EQ(session->stopped, 1);
    // The next repair finishes the work.
    reporter.onPump = nullptr;
    options.repair = 1;
    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(dir.Read("data\\b.bmd"), Pattern(300000, 1));
    EXPECT_EQ(LastStatus(), Summary(6, 1));
}
