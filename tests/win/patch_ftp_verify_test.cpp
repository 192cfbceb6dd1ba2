// The engine with the publisher's key (and without) against signed versions on the
// real FTP test server, each served with one kind of damage or forgery: the version
// fails with its text before anything of it is installed, and earlier versions stay.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/win/SignedServing.h"
#include "tests/win/patch_ftp_engine.h"

namespace {

enum Tamper {
    kUntouched,
    kFlippedByte,        // one byte of a served file
    kTruncatedFile,
    kFlippedCompressed,  // one byte of a compressed file of the first version
    kListEntryAdded,     // list.inf changed after signing
    kListEntryRemoved,
    kListReordered,
    kOtherKey,           // the manifest signed by another key
    kNoManifest,
    kNoSignature,
    kReplayedManifest,   // the first version's manifest in the second's directory
    kManifestExtraFile,  // signed, but naming a file the list does not
    kListExtraFile,      // signed, but the list names a file the manifest does not
    kCatalogueEntryAdded,
    kSignatureShort,     // a signature file of the wrong length
    kSignatureGarbage,
};

struct VerifyCase {
    const char* name;
    Tamper tamper;
    bool keyed;
    int text;                 // the last status
    const char* kept;         // the stored version afterwards
};

const char kFirst[] = "1.00.01";
const char kSecond[] = "1.00.02";
const char kFirstList[] = "#COMPRESSED#\n\"a.txt.bz_\"\n";
const char kSecondList[] = "\"b.bmd\"\n1 \"data\"\n\"c.txt\"\n";

class VerifyTest : public FtpEngineTest, public ::testing::WithParamInterface<VerifyCase> {
protected:
    void SetUp() override
    {
        FtpEngineTest::SetUp();
        if (GetParam().keyed)
            g_publisherKeys = TestPublisherKeys();
        first = {{"a.txt.bz_", Bzip2("a of the first version"), "a of the first version"}};
        second = {{"b.bmd", std::string(70000, 'b'), std::string(70000, 'b')},
                  {"data\\c.txt", "c of the second version", "c of the second version"}};
    }

    void PutVersion(const char* version, const std::string& list, const std::vector<ServedFile>& files,
                    const std::vector<ServedFile>& signedFiles, const std::string& seed)
    {
        std::string dirName = version;
        server->Put(dirName + "/list.inf", list);
        for (const ServedFile& file : files)
            server->Put(dirName + "/" + file.path.substr(file.path.rfind('\\') + 1), file.served);
        std::string manifest = ManifestText(version, list, signedFiles);
        server->Put(dirName + "/manifest.txt", manifest);
        server->Put(dirName + "/manifest.txt.sig", SignatureText(kSignedManifest, manifest, seed));
    }

    // Serves both versions signed, then applies the case's damage.
    void Serve(Tamper tamper)
    {
        std::string catalogue = "\"1.00.01\"\n\"1.00.02\"\n";
        server->Put("version.cvd", catalogue);
        server->Put("version.cvd.sig", SignatureText(kSignedCatalogue, catalogue, TestKeySeed()));
        PutVersion(kFirst, kFirstList, first, first, TestKeySeed());
        std::string list = kSecondList;
        std::vector<ServedFile> listed = second;
        std::vector<ServedFile> signedFiles = second;
        std::string seed = tamper == kOtherKey ? OtherKeySeed() : TestKeySeed();
        if (tamper == kManifestExtraFile)
            signedFiles.push_back({"d.txt", "d", "d"});
        if (tamper == kListExtraFile) {
            list += "\"d.txt\"\n";
            listed.push_back({"data\\d.txt", "d", "d"});
        }
        PutVersion(kSecond, list, listed, signedFiles, seed);
        ApplyDamage(tamper, catalogue);
    }

    void ApplyDamage(Tamper tamper, const std::string& catalogue)
    {
        std::string c = second[1].served;
        switch (tamper) {
        case kFlippedByte:
            c[3] ^= 0x01;
            return server->Put("1.00.02/c.txt", c);
        case kTruncatedFile:
            return server->Put("1.00.02/c.txt", c.substr(0, c.size() - 1));
        case kFlippedCompressed: {
            std::string a = first[0].served;
            a[a.size() / 2] ^= 0x10;
            return server->Put("1.00.01/a.txt.bz_", a);
        }
        case kListEntryAdded:
            return server->Put("1.00.02/list.inf", std::string(kSecondList) + "\"c.txt\"\n");
        case kListEntryRemoved:
            return server->Put("1.00.02/list.inf", "1 \"data\"\n\"c.txt\"\n");
        case kListReordered:
            return server->Put("1.00.02/list.inf", "1 \"data\"\n\"c.txt\"\n1 \"\"\n\"b.bmd\"\n");
        case kNoManifest:
            return server->Remove("1.00.02/manifest.txt");
        case kNoSignature:
            return server->Remove("1.00.02/manifest.txt.sig");
        case kReplayedManifest: {
            std::string manifest = ManifestText(kFirst, kFirstList, first);
            server->Put("1.00.02/manifest.txt", manifest);
            return server->Put("1.00.02/manifest.txt.sig", SignatureText(kSignedManifest, manifest, TestKeySeed()));
        }
        case kCatalogueEntryAdded:
            return server->Put("version.cvd", catalogue + "\"1.00.03\"\n");
        case kSignatureShort:
            return server->Put("1.00.02/manifest.txt.sig", std::string(126, 'a') + "\n");
        case kSignatureGarbage:
            return server->Put("version.cvd.sig", std::string(128, 'z') + "\n");
        default:
            return;
        }
    }

    std::vector<ServedFile> first;
    std::vector<ServedFile> second;
};

int Transfers(const std::vector<std::string>& fetched, const std::string& file)
{
    return static_cast<int>(std::count(fetched.begin(), fetched.end(), file));
}

TEST_P(VerifyTest, TheVersionFailsBeforeAnythingOfItIsInstalled)
{
    const VerifyCase& c = GetParam();
    Serve(c.tamper);

    Begin();

    EXPECT_EQ(LastStatus(), Text(c.text));
    EXPECT_EQ(LastStatusIsError(), c.text != 123);
    EXPECT_EQ(Config("Version"), c.kept);
    bool firstKept = std::string(c.kept) != "<none>";
    EXPECT_EQ(dir.Read("a.txt"), firstKept ? "a of the first version" : "<missing>");
    bool secondInstalled = std::string(c.kept) == kSecond;
    EXPECT_EQ(dir.Exists("b.bmd"), secondInstalled);
    EXPECT_EQ(dir.Read("data\\c.txt"), secondInstalled ? second[1].installed : "<missing>");
    EXPECT_FALSE(dir.Exists("data\\d.txt"));
    std::vector<std::string> fetched = Fetched();
    switch (c.tamper) {
    case kFlippedByte:
    case kTruncatedFile:
        // The damaged file is fetched once more, then the version ends.
        EXPECT_EQ(Transfers(fetched, "1.00.02/c.txt"), 2);
        EXPECT_FALSE(dir.Exists("Temp\\data\\c.txt"));
        break;
    case kFlippedCompressed:
        EXPECT_EQ(Transfers(fetched, "1.00.01/a.txt.bz_"), 2);
        EXPECT_FALSE(dir.Exists("Temp\\a.txt.bz_"));
        break;
    case kUntouched:
        break;
    default:
        if (!secondInstalled) {   // refused before any file of the version was fetched
            EXPECT_EQ(Transfers(fetched, "1.00.02/b.bmd") + Transfers(fetched, "1.00.02/c.txt"), 0);
        }
    }
}

const VerifyCase kCases[] = {
    {"Untouched", kUntouched, true, 123, kSecond},
    {"FlippedByte", kFlippedByte, true, 148, kFirst},
    {"TruncatedFile", kTruncatedFile, true, 148, kFirst},
    {"FlippedCompressedFile", kFlippedCompressed, true, 148, "<none>"},
    {"ListEntryAdded", kListEntryAdded, true, 149, kFirst},
    {"ListEntryRemoved", kListEntryRemoved, true, 149, kFirst},
    {"ListReordered", kListReordered, true, 149, kFirst},
    {"ManifestOfAnotherKey", kOtherKey, true, 149, kFirst},
    {"ManifestMissing", kNoManifest, true, 149, kFirst},
    {"SignatureMissing", kNoSignature, true, 149, kFirst},
    {"ManifestOfAnotherVersion", kReplayedManifest, true, 149, kFirst},
    {"ManifestNamesAnUnlistedFile", kManifestExtraFile, true, 149, kFirst},
    {"ListNamesAFileNotInTheManifest", kListExtraFile, true, 149, kFirst},
    {"CatalogueEntryAddedAfterSigning", kCatalogueEntryAdded, true, 149, "<none>"},
    {"SignatureOfWrongLength", kSignatureShort, true, 149, kFirst},
    {"CatalogueSignatureGarbage", kSignatureGarbage, true, 149, "<none>"},
    // Without a key the manifest still catches damage, and says nothing of who signed.
    {"KeylessFlippedByte", kFlippedByte, false, 148, kFirst},
    {"KeylessListChanged", kListEntryAdded, false, 148, kFirst},
    {"KeylessOtherKey", kOtherKey, false, 123, kSecond},
    {"KeylessNoManifest", kNoManifest, false, 123, kSecond},
};

INSTANTIATE_TEST_SUITE_P(Tampered, VerifyTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<VerifyCase>& info) { return std::string(info.param.name); });

} // namespace
