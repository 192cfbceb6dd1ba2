// The manifest grammar under hostile input, and the check of a manifest against a list.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "patch/ListEntries.h"
#include "patch/Manifest.h"
#include "patch/ManifestCheck.h"
#include "tests/host/TempDir.h"

namespace {

const std::string kHashA(64, 'a');
const std::string kHashB = std::string(63, '0') + "9";

std::string FileLine(const std::string& path)
{
    return "file 12 " + kHashA + " 3400 " + kHashB + " " + path + "\n";
}

std::string Sample()
{
    return "zr-manifest 1\nversion 1.00.01\nlist 57 " + kHashB + "\n" + FileLine("zr.exe.bz2") +
           FileLine("data\\sound\\hit one.wav.bz2");
}

int Parse(const std::string& text, Manifest& manifest)
{
    std::string error;
    return ParseManifest(text.data(), text.size(), manifest, error);
}

std::string WriteFile(const std::string& dir, const char* name, const std::string& text)
{
    std::string path = dir + "/" + name;
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
    return path;
}

} // namespace

TEST(Manifest, ReadsWhatItWrites)
{
    Manifest manifest;
    ASSERT_EQ(Parse(Sample(), manifest), 1);
    EXPECT_EQ(manifest.version, "1.00.01");
    EXPECT_EQ(manifest.listSize, 57u);
    ASSERT_EQ(manifest.entries.size(), 2u);
    const ManifestEntry* entry = manifest.Find("data\\sound\\hit one.wav.bz2");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->servedSize, 12u);
    EXPECT_EQ(entry->installedSize, 3400u);
    EXPECT_EQ(Sha256Hex(entry->installedHash), kHashB);
    EXPECT_FALSE(manifest.Find("DATA\\sound\\hit one.wav.bz2"));
    EXPECT_EQ(FormatManifest(manifest), Sample());
}

TEST(Manifest, RefusesEverythingOutsideTheGrammar)
{
    const std::string good = Sample();
    const std::string head = "zr-manifest 1\nversion 1.0.1\nlist 57 " + kHashB + "\n";
    const std::vector<std::string> bad = {
        "",
        good.substr(0, good.size() - 1),                       // last line unterminated
        "zr-manifest 2\n" + good.substr(14),                   // other format
        "zr-manifest 1\nlist 57 " + kHashB + "\n",             // no version line
        "zr-manifest 1\nversion 1.0.1\n",                      // no list line
        "zr-manifest 1\nversion 123456789\nlist 57 " + kHashB + "\n",
        "zr-manifest 1\nversion  1.0.1\nlist 57 " + kHashB + "\n",
        "zr-manifest 1\nversion 1.0.1\nlist 057 " + kHashB + "\n",
        "zr-manifest 1\nversion 1.0.1\nlist 57 " + kHashB.substr(1) + "\n",
        "zr-manifest 1\nversion 1.0.1\nlist 57 " + kHashB + " \n",
        head + "file 12 " + std::string(64, 'A') + " 3400 " + kHashB + " a\n",   // upper-case hex
        head + "file 12 " + kHashA + " 3400 " + kHashB + " \n",                  // empty path
        head + "file 12 " + kHashA + " 3400 " + kHashB + "\n",                   // no path
        head + "file -1 " + kHashA + " 3400 " + kHashB + " a\n",
        head + "file 1234567890123456 " + kHashA + " 3400 " + kHashB + " a\n",   // too many digits
        head + "file 12  " + kHashA + " 3400 " + kHashB + " a\n",                // double blank
        head + FileLine("a\rb"),                                                  // control byte
        head + FileLine("a\r"),
        head + FileLine(std::string(260, 'x')),
        head + FileLine("Data\\A.bmd") + FileLine("data\\a.bmd"),                // same file twice
        head + "\n",
        head + "files 12 " + kHashA + " 3400 " + kHashB + " a\n",
        std::string("zr-manifest 1\0\n", 15) + good.substr(14),
    };
    for (const std::string& text : bad) {
        Manifest manifest;
        manifest.version = "stale";
        EXPECT_EQ(Parse(text, manifest), 0) << text;
        EXPECT_TRUE(manifest.version.empty() && manifest.entries.empty()) << text;
    }
}

TEST(Manifest, SizeAndEntryLimits)
{
    std::string text = "zr-manifest 1\nversion 1.0.1\nlist 57 " + kHashB + "\n";
    for (int i = 0; i < kMaxManifestEntries; ++i)
        text += FileLine("f" + std::to_string(i));
    Manifest manifest;
    EXPECT_EQ(Parse(text, manifest), 1);
    EXPECT_EQ(Parse(text + FileLine("one-more"), manifest), 0);
    std::string huge(kMaxManifestBytes + 1, '\n');
    EXPECT_EQ(Parse(huge, manifest), 0);
}

TEST(ManifestCheck, ListPathsAreJoinedAsTheLauncherJoinsThem)
{
    std::string dir = MakeTempDir("zr_manifest");
    std::string list = WriteFile(dir, "list.inf",
                                 "// comment\n#COMPRESSED#\n\"zr.exe.bz2\"\n1 \"data\"\n1 \"data\\sound\"\n"
                                 "\"hit one.wav.bz2\"\n2\n");
    std::vector<std::string> paths;
    ASSERT_EQ(CollectListPaths(list.c_str(), paths), 1);
    EXPECT_EQ(paths, (std::vector<std::string>{"zr.exe.bz2", "data\\sound\\hit one.wav.bz2"}));
    EXPECT_EQ(CollectListPaths((dir + "/none").c_str(), paths), 0);
    RemoveTempDir(dir);
}

TEST(ManifestCheck, VersionListAndEntriesMustMatchBothWays)
{
    Manifest manifest;
    ASSERT_EQ(Parse(Sample(), manifest), 1);
    Sha256Digest listHash = manifest.listHash;
    std::vector<std::string> paths = {"data\\sound\\hit one.wav.bz2", "zr.exe.bz2"};
    std::string path;
    EXPECT_EQ(CheckManifestFits(manifest, "1.00.01", 57, listHash, paths, path), kManifestFits);
    EXPECT_EQ(CheckManifestFits(manifest, "1.0.1", 57, listHash, paths, path), kManifestOtherVersion);
    EXPECT_EQ(path, "1.00.01");
    EXPECT_EQ(CheckManifestFits(manifest, "1.00.01", 58, listHash, paths, path), kManifestOtherList);
    Sha256Digest other = listHash;
    other[31] ^= 1;
    EXPECT_EQ(CheckManifestFits(manifest, "1.00.01", 57, other, paths, path), kManifestOtherList);

    std::vector<std::string> extraInList = paths;
    extraInList.push_back("new.dll");
    EXPECT_EQ(CheckManifestFits(manifest, "1.00.01", 57, listHash, extraInList, path),
              kManifestMissesEntry);
    EXPECT_EQ(path, "new.dll");
    std::vector<std::string> shortList = {"zr.exe.bz2"};
    EXPECT_EQ(CheckManifestFits(manifest, "1.00.01", 57, listHash, shortList, path),
              kManifestExtraEntry);
    EXPECT_EQ(path, "data\\sound\\hit one.wav.bz2");
    std::vector<std::string> twice = {"zr.exe.bz2", "zr.exe.bz2"};
    EXPECT_EQ(CheckManifestFits(manifest, "1.00.01", 57, listHash, twice, path), kManifestExtraEntry);
    EXPECT_NE(DescribeManifestFit(kManifestMissesEntry, "x").find("\"x\""), std::string::npos);
}

TEST(ManifestCheck, FileAgainstItsEntry)
{
    std::string dir = MakeTempDir("zr_manifest");
    std::string content = "installed bytes";
    std::string path = WriteFile(dir, "a", content);
    ManifestEntry entry;
    entry.installedSize = content.size();
    entry.installedHash = HashBytesSha256(content.data(), content.size());
    entry.servedSize = 3;
    EXPECT_EQ(CheckFileAgainstEntry(entry, path.c_str(), false), kFileMatches);
    EXPECT_EQ(CheckFileAgainstEntry(entry, path.c_str(), true), kFileDiffers);
    WriteFile(dir, "a", "installed bytez");
    EXPECT_EQ(CheckFileAgainstEntry(entry, path.c_str(), false), kFileDiffers);
    WriteFile(dir, "a", "installed byte");
    EXPECT_EQ(CheckFileAgainstEntry(entry, path.c_str(), false), kFileDiffers);
    EXPECT_EQ(CheckFileAgainstEntry(entry, (dir + "/gone").c_str(), false), kFileUnreadable);
    RemoveTempDir(dir);
}

TEST(Manifest, MutatedTextIsRefusedOrReadExactly)
{
    // The grammar has one spelling per manifest: whatever the parser accepts must write
    // back to the very same bytes, so no two texts mean the same manifest and nothing
    // outside the grammar slips through. Mutations: flipped bits, cuts, duplicated and
    // inserted bytes, under the sanitizers.
    const std::string base = Sample();
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    const char interesting[] = {'\n', ' ', '0', 'a', 'A', '\\', '\r', '\0', 'f'};
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = base;
        for (int edits = 1 + next() % 3; edits > 0; --edits) {
            size_t at = next() % text.size();
            switch (next() % 4) {
            case 0: text[at] = static_cast<char>(text[at] ^ (1 << (next() % 8))); break;
            case 1: text.erase(at, 1 + next() % 4); break;
            case 2: text.insert(at, 1, interesting[next() % sizeof interesting]); break;
            default: text.insert(at, text.substr(at, 1 + next() % 70)); break;
            }
            if (text.empty())
                text = "\n";
        }
        Manifest manifest;
        std::string error;
        if (ParseManifest(text.data(), text.size(), manifest, error)) {
            ++accepted;
            EXPECT_EQ(FormatManifest(manifest), text);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    // Some mutations stay inside the grammar (a changed hash digit, a path byte).
    EXPECT_GT(accepted, 0);
}
