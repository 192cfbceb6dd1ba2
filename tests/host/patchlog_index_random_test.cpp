// The in-memory log index against the plain rereading reader: long random runs of
// the driver's operations, every decision compared, the files compared byte for
// byte at the end.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <dirent.h>
#include <unistd.h>

#include "patch/PatchLog.h"
#include "patch/PatchLogIndex.h"
#include "tests/host/TempDir.h"

namespace {

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        int c;
        while ((c = fgetc(f)) != EOF)
            bytes.push_back(static_cast<char>(c));
        fclose(f);
    }
    return bytes;
}

class IndexAgainstPlain : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override
    {
        dir = MakeTempDir("zr_logindex");
        ASSERT_FALSE(dir.empty());
    }

    void TearDown() override
    {
        RemoveTempDir(dir);
    }

    std::string dir;
};

// Names the driver might log: plain, with blanks, a leading blank, case variants of
// each other, the longest readable and one too long to log.
std::vector<std::string> NamePool()
{
    std::vector<std::string> names = {
        "a.txt",         "A.txt",          "data\\a.bmd",  "data\\A.bmd",
        "DATA\\a.bmd",   "data/a.bmd",     "read me.txt",  "read  me.txt",
        " lead.txt",     "zr.exe",         "ZR.EXE",       "sub\\zr.exe",
        "Data\\Map 1\\terrain.att",        "x",            "\xb0\xa1.bmd",
        std::string(kMaxLogText, 'n'),     std::string(kMaxLogText + 1, 'n'),
    };
    for (int i = 0; i < 40; ++i)
        names.push_back("data\\file" + std::to_string(i) + ".bmd");
    return names;
}

const char* const kVersionTexts[] = {"1.2.3", "1.2.4", "0.0.0", "2.0.0", "1.2.259",
                                     "1.2", "", "abc"};

PackedVersion RandomTarget(std::mt19937& rng)
{
    static const PackedVersion kTargets[] = {0, 0x010203, 0x010204, 0x020000, 0x010200,
                                             0x010203 + 1, 0x7F0000};
    return kTargets[rng() % (sizeof kTargets / sizeof kTargets[0])];
}

TEST_P(IndexAgainstPlain, SameDecisionsAndSameFile)
{
    std::mt19937 rng(GetParam());
    const std::string indexedPath = dir + "/indexed.log";
    const std::string plainPath = dir + "/plain.log";
    PatchLogIndex index(indexedPath.c_str());
    PatchLog indexedFile(indexedPath.c_str());   // plain reader of the index's file
    PatchLog plain(plainPath.c_str());
    const std::vector<std::string> names = NamePool();

    ASSERT_EQ(index.Load(), 1);
    int decisions = 0;
    for (int step = 0; step < 4000; ++step) {
        int op = static_cast<int>(rng() % 100);
        const std::string& name = names[rng() % names.size()];
        if (op < 25) {
            ASSERT_EQ(index.AppendLogLine('F', name.c_str()),
                      plain.AppendLogLine('F', name.c_str())) << step;
        } else if (op < 28) {
            const char* text = kVersionTexts[rng() % (sizeof kVersionTexts /
                                                      sizeof kVersionTexts[0])];
            ASSERT_EQ(index.AppendLogLine('V', text), plain.AppendLogLine('V', text));
        } else if (op < 30) {
            ASSERT_EQ(index.AppendLogLine('X', name.c_str()),
                      plain.AppendLogLine('X', name.c_str()));
        } else if (op < 60) {
            int answer = plain.LogHasFile(name.c_str());
            ASSERT_EQ(index.LogHasFile(name.c_str()), answer) << step << " " << name;
            ASSERT_EQ(indexedFile.LogHasFile(name.c_str()), answer) << step;
            decisions += 1;
        } else if (op < 85) {
            PackedVersion target = RandomTarget(rng);
            int answer = plain.LogIsStale(target);
            ASSERT_EQ(index.LogIsStale(target), answer) << step << " " << target;
            ASSERT_EQ(indexedFile.LogIsStale(target), answer) << step;
            decisions += 1;
        } else if (op < 90) {
            // The stale case: delete the log and restart it with a version line.
            ASSERT_EQ(index.DeleteLog(), plain.Delete());
            const char* text = kVersionTexts[rng() % 4];
            ASSERT_EQ(index.AppendLogLine('V', text), plain.AppendLogLine('V', text));
        } else if (op < 93) {
            ASSERT_EQ(index.DeleteLog(), plain.Delete());
        } else if (op < 96) {
            // A new version's list begins: the index is read again from the file.
            ASSERT_EQ(index.Load(), 1);
        } else {
            ASSERT_EQ(index.Exists(), plain.Exists()) << step;
        }
        if (step % 500 == 0) {
            ASSERT_EQ(ReadBytes(indexedPath), ReadBytes(plainPath)) << step;
        }
    }
    EXPECT_GT(decisions, 2000);
    EXPECT_EQ(ReadBytes(indexedPath), ReadBytes(plainPath));
}

INSTANTIATE_TEST_SUITE_P(Seeds, IndexAgainstPlain, ::testing::Values(1u, 7u, 2024u));

} // namespace
