// Expanding bzip2 files: real compressed data made with libbz2 and /bin/bzip2,
// the failure cases, stop requests, progress and the hooks.
#include <gtest/gtest.h>

#include <bzlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "patch/Bz2Expander.h"
#include "tests/host/TempDir.h"

namespace {

// Records every hook call; can ask for a stop at the n-th stop query.
class RecordingHooks : public Bz2ExpandHooks {
public:
    void AfterDecoderCall() override
    {
        ++pumps;
        order.push_back('p');
    }
    int StopRequested() override
    {
        ++stopQueries;
        order.push_back('s');
        return stopAtQuery > 0 && stopQueries >= stopAtQuery ? 1 : 0;
    }
    void OnBlockConsumed(uint32_t done, uint32_t total) override
    {
        progress.push_back(std::make_pair(done, total));
    }

    int pumps = 0;
    int stopQueries = 0;
    int stopAtQuery = 0;
    std::string order;
    std::vector<std::pair<uint32_t, uint32_t>> progress;
};

std::string Compress(const std::string& data)
{
    unsigned int size = static_cast<unsigned int>(data.size() + data.size() / 100 + 600);
    std::string out(size, '\0');
    int rc = BZ2_bzBuffToBuffCompress(&out[0], &size, const_cast<char*>(data.data()),
                                      static_cast<unsigned int>(data.size()), 9, 0, 0);
    EXPECT_EQ(rc, BZ_OK);
    out.resize(size);
    return out;
}

// Several hundred KB of text-like data with enough variety to compress to many
// input blocks.
std::string VariedData(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    static const char* const kWords[] = {"terrain", "monster", "item", "0x3F", "map",
                                         "\xb0\xa1\xb3\xaa", "sound", "\n", "  "};
    std::string data;
    while (data.size() < size) {
        data += kWords[rng() % 9];
        data += std::to_string(rng() % 100000);
        data.push_back(static_cast<char>(rng() & 0xFF));
    }
    data.resize(size);
    return data;
}

class Bz2Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = MakeTempDir("zr_bz2");
        ASSERT_FALSE(dir.empty());
    }

    void TearDown() override
    {
        RemoveTempDir(dir);
    }

    std::string Path(const std::string& name) { return dir + "/" + name; }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::string path = Path(name);
        EXPECT_TRUE(WriteTempFile(path, bytes));
        return path;
    }

    static bool Exists(const std::string& path)
    {
        struct stat st;
        return lstat(path.c_str(), &st) == 0;
    }

    static std::string Read(const std::string& path)
    {
        std::string bytes;
        if (FILE* f = fopen(path.c_str(), "rb")) {
            char block[65536];
            size_t n;
            while ((n = fread(block, 1, sizeof block, f)) > 0)
                bytes.append(block, n);
            fclose(f);
        }
        return bytes;
    }

    int Expand(const std::string& source, const std::string& target)
    {
        return expander.Expand(source.c_str(), target.c_str(), hooks);
    }

    void ExpectMonotonicProgressTo(uint32_t total)
    {
        ASSERT_FALSE(hooks.progress.empty());
        uint32_t previous = 0;
        for (const auto& p : hooks.progress) {
            EXPECT_GE(p.first, previous);
            EXPECT_EQ(p.second, total);
            previous = p.first;
        }
        EXPECT_EQ(hooks.progress.back().first, total);
        size_t blocks = (total + Bz2Expander::kInputBlock - 1) / Bz2Expander::kInputBlock;
        EXPECT_EQ(hooks.progress.size(), blocks);
    }

    std::string dir;
    Bz2Expander expander;
    RecordingHooks hooks;
};

TEST_F(Bz2Files, ExpandsManyInputAndOutputBlocks)
{
    std::string data = VariedData(700 * 1024, 3);
    std::string packed = Compress(data);
    ASSERT_GT(packed.size(), 4u * Bz2Expander::kInputBlock);
    std::string source = Write("a.bmd.bz_", packed);
    std::string target = Path("a.bmd");
    Write("a.bmd", std::string(2000000, 'x'));  // an old, longer target is replaced

    ASSERT_EQ(Expand(source, target), 1);
    EXPECT_TRUE(Read(target) == data);
    ExpectMonotonicProgressTo(static_cast<uint32_t>(packed.size()));
    EXPECT_EQ(expander.UnpackTotal(), packed.size());
    EXPECT_EQ(expander.UnpackDone(), packed.size());
    EXPECT_TRUE(Exists(source));
    // One pump and one stop query after every decoder call, in that order.
    EXPECT_EQ(hooks.pumps, hooks.stopQueries);
    EXPECT_EQ(hooks.order.size(), 2u * hooks.pumps);
    for (size_t i = 0; i + 1 < hooks.order.size(); i += 2)
        EXPECT_EQ(hooks.order.substr(i, 2), "ps");
    EXPECT_GE(static_cast<size_t>(hooks.pumps), hooks.progress.size());
}

TEST_F(Bz2Files, OneInputBlockFillsSeveralOutputBlocks)
{
    // Compresses to far less than one input block; every decoder call fills a whole
    // output block except the last, so the decoder is called exactly
    // ceil(size / 131072) times, each followed by one pump.
    std::string data;
    for (int i = 0; data.size() < 1000000; ++i)
        data += "line " + std::to_string(i % 50) + "\n";
    data.resize(1000000);
    std::string packed = Compress(data);
    ASSERT_LT(packed.size(), static_cast<size_t>(Bz2Expander::kInputBlock));
    std::string source = Write("big.bz2", packed);
    ASSERT_EQ(Expand(source, Path("big")), 1);
    EXPECT_TRUE(Read(Path("big")) == data);
    int outputBlocks = static_cast<int>((data.size() + Bz2Expander::kOutputBlock - 1) /
                                        Bz2Expander::kOutputBlock);
    EXPECT_EQ(hooks.pumps, outputBlocks);
    EXPECT_EQ(hooks.stopQueries, outputBlocks);
    ASSERT_EQ(hooks.progress.size(), 1u);
    EXPECT_EQ(hooks.progress[0].first, packed.size());
    EXPECT_EQ(ExpandPercent(hooks.progress[0].first, hooks.progress[0].second), 100);
}

TEST_F(Bz2Files, ReadsWhatTheBzip2ProgramWrites)
{
    std::string data = VariedData(300 * 1024, 11);
    std::string plain = Write("tool.txt", data);
    std::string command = "/bin/bzip2 -k -9 " + plain;
    ASSERT_EQ(system(command.c_str()), 0);
    std::string source = plain + ".bz2";
    ASSERT_EQ(Expand(source, Path("tool.out")), 1);
    EXPECT_TRUE(Read(Path("tool.out")) == data);
    ExpectMonotonicProgressTo(static_cast<uint32_t>(Read(source).size()));
}

TEST_F(Bz2Files, EmptySourceGivesEmptyTarget)
{
    std::string source = Write("empty.bz_", "");
    ASSERT_EQ(Expand(source, Path("empty")), 1);
    EXPECT_TRUE(Exists(Path("empty")));
    EXPECT_EQ(Read(Path("empty")), "");
    EXPECT_EQ(hooks.pumps, 0);
    EXPECT_TRUE(hooks.progress.empty());
}

TEST_F(Bz2Files, MissingSourceCreatesNothing)
{
    EXPECT_EQ(Expand(Path("absent.bz_"), Path("absent")), 0);
    EXPECT_FALSE(Exists(Path("absent")));
    EXPECT_EQ(hooks.pumps, 0);
}

TEST_F(Bz2Files, TargetThatCannotBeCreatedFails)
{
    std::string source = Write("a.bz_", Compress("abc"));
    EXPECT_EQ(Expand(source, Path("no/dir/a")), 0);
    EXPECT_EQ(hooks.pumps, 0);
}

TEST_F(Bz2Files, BadDataFailsAndLeavesTarget)
{
    // Not bzip2: the first decoder call fails, an empty target remains.
    std::string source = Write("text.bz_", "this is plain text, not a bzip2 stream\n");
    EXPECT_EQ(Expand(source, Path("text")), 0);
    EXPECT_TRUE(Exists(Path("text")));
    EXPECT_EQ(Read(Path("text")), "");

    // A damaged stream: the decoder reports the error.
    std::string damaged = Compress(VariedData(200 * 1024, 5));
    for (size_t i = 2000; i < damaged.size(); i += 7919)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x55);
    source = Write("damaged.bz_", damaged);
    EXPECT_EQ(Expand(source, Path("damaged")), 0);
    EXPECT_TRUE(Exists(Path("damaged")));
}

TEST_F(Bz2Files, BytesAfterTheStreamFail)
{
    std::string packed = Compress(VariedData(50 * 1024, 8));
    EXPECT_EQ(Expand(Write("tail.bz_", packed + "garbage"), Path("tail")), 0);
    // A second stream is bytes after the first one too, also in a later block.
    std::string second = Compress(VariedData(60 * 1024, 9));
    EXPECT_EQ(Expand(Write("two.bz_", packed + second), Path("two")), 0);
    std::string padded = packed + std::string(3 * Bz2Expander::kInputBlock, '\0');
    EXPECT_EQ(Expand(Write("padded.bz_", padded), Path("padded")), 0);
}

TEST_F(Bz2Files, CutShortSourceFails)
{
    std::string data = VariedData(400 * 1024, 4);
    std::string packed = Compress(data);
    const size_t cuts[] = {packed.size() - 1, packed.size() - 11, packed.size() / 2,
                           Bz2Expander::kInputBlock, 10};
    for (size_t cut : cuts) {
        hooks = RecordingHooks();
        std::string source = Write("cut.bz_", packed.substr(0, cut));
        EXPECT_EQ(Expand(source, Path("cut")), 0) << cut;
        // What was expanded stays, but is never reported as the whole file: without
        // its last bytes the stream's check value is missing even when all data
        // came out.
        std::string partial = Read(Path("cut"));
        EXPECT_LE(partial.size(), data.size()) << cut;
        EXPECT_TRUE(partial == data.substr(0, partial.size())) << cut;
    }
}

TEST_F(Bz2Files, StopDeletesTheTarget)
{
    std::string data = VariedData(500 * 1024, 6);
    std::string source = Write("stop.bz_", Compress(data));
    hooks.stopAtQuery = 3;
    EXPECT_EQ(Expand(source, Path("stop")), 0);
    EXPECT_FALSE(Exists(Path("stop")));
    EXPECT_TRUE(Exists(source));
    EXPECT_EQ(hooks.stopQueries, 3);
    EXPECT_EQ(hooks.pumps, 3);

    // The same expander works normally afterwards.
    hooks = RecordingHooks();
    ASSERT_EQ(Expand(source, Path("stop")), 1);
    EXPECT_TRUE(Read(Path("stop")) == data);
}

TEST_F(Bz2Files, FailedWritesFailAndDeleteTarget)
{
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    // A full disk: a direct write of a whole output block fails, and a small output
    // that only fails when the buffered stream is closed.
    std::string big = Compress(VariedData(300 * 1024, 2));
    std::string small = Compress("a short file");
    const std::string* sources[] = {&big, &small};
    for (const std::string* packed : sources) {
        std::string source = Write("full.bz_", *packed);
        std::string target = Path("full");
        ASSERT_EQ(symlink("/dev/full", target.c_str()), 0);
        EXPECT_EQ(Expand(source, target), 0);
        EXPECT_FALSE(Exists(target));   // the link is gone, not the device
        EXPECT_TRUE(Exists("/dev/full"));
    }
}

TEST_F(Bz2Files, DecompressFileNamesTargetBesideSource)
{
    std::string data = VariedData(20 * 1024, 1);
    std::string source = Write("a.bmd.bz_", Compress(data));
    std::string directory = dir + "/";
    ASSERT_EQ(expander.DecompressFile(source.c_str(), directory.c_str(), hooks), 1);
    EXPECT_TRUE(Read(Path("a.bmd")) == data);

    // A name that would have to be cut is refused before anything is created.
    std::string longSource = dir + "/" + std::string(250, 'n') + ".bz_";
    EXPECT_EQ(expander.DecompressFile(longSource.c_str(), directory.c_str(), hooks), 0);
}

TEST(Bz2TargetName, DirectoryOfSecondAndNameOfFirstWithoutExtension)
{
    struct Case {
        const char* source;
        const char* directory;
        const char* target;
    };
    const Case cases[] = {
        {"Temp\\data\\a.bmd.bz_", "Temp\\data\\", "Temp\\data\\a.bmd"},
        {"Temp\\data\\a.bmd.bz_", "Temp\\data\\a.bmd.bz_", "Temp\\data\\a.bmd"},
        {"Temp\\a.bz_", "Temp\\data\\", "Temp\\data\\a"},
        {"Temp/x/readme", "Temp/x/", "Temp/x/readme"},
        {"Temp\\x.y\\readme", "Temp\\x.y\\", "Temp\\x.y\\readme"},
        {"C:\\t\\a.txt.bz2", "C:\\t\\", "C:\\t\\a.txt"},
        {"a.txt.bz2", "", "a.txt"},
        {"C:a.bz2", "C:", "C:a"},
        {"Temp\\.bz_", "Temp\\", "Temp\\"},
        {"Temp\\My File.bmd.bz_", "Temp\\", "Temp\\My File.bmd"},
    };
    for (const Case& c : cases) {
        char out[260];
        EXPECT_EQ(BuildExpandTargetName(c.source, c.directory, out, sizeof out), 1)
            << c.source;
        EXPECT_STREQ(out, c.target) << c.source;
    }
}

TEST(Bz2TargetName, LongNamesAreCutSafelyAndReported)
{
    std::string directory(200, 'd');
    directory += "\\";
    std::string source = std::string(100, 'n') + ".bz_";
    char out[400];
    memset(out, 'z', sizeof out);
    EXPECT_EQ(BuildExpandTargetName(source.c_str(), directory.c_str(), out, sizeof out), 0);
    EXPECT_EQ(strlen(out), 259u);
    EXPECT_EQ(out[260], 'z');

    char small[8];
    EXPECT_EQ(BuildExpandTargetName("Temp\\abcdefgh.bz_", "Temp\\", small, sizeof small), 0);
    EXPECT_STREQ(small, "Temp\\ab");
    EXPECT_EQ(BuildExpandTargetName("a.bz_", "", small, sizeof small), 1);
    EXPECT_STREQ(small, "a");
}

TEST(Bz2Progress, PercentNeverOverflows)
{
    EXPECT_EQ(ExpandPercent(0, 0), 0);
    EXPECT_EQ(ExpandPercent(0, 10), 0);
    EXPECT_EQ(ExpandPercent(5, 10), 50);
    EXPECT_EQ(ExpandPercent(12288, 12288), 100);
    // 100 * done in 32 bits would wrap for files above 42 MB.
    EXPECT_EQ(ExpandPercent(4000000000u, 4200000000u), 95);
    EXPECT_EQ(ExpandPercent(50000000u, 50000000u), 100);
    EXPECT_EQ(ExpandPercent(11, 10), 100);
}

} // namespace
