// The engine's expansion of downloaded bzip2 files on real files in a temporary game
// directory: the expanded bytes, the failures and what they leave behind, the stop
// request, and the progress shown on the upper bar and in the caption.
#include <gtest/gtest.h>

#include <windows.h>

#include <bzlib.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/LaunchOptions.h"
#include "app/Msg.h"
#include "app/PatchSession.h"
#include "patch/win/PatchEngine.h"
#include "tests/win/FakeReporter.h"
#include "tests/win/TempGameDir.h"

namespace {

const char kExpandLabel[] = "Expanding";
const uint32_t kInputBlock = 12288;

// Mixed test data: lines of text with counters and stretches of pseudo-random bytes,
// so that it compresses, but not to nothing.
std::string MakeData(size_t size, uint32_t seed)
{
    std::string data;
    data.reserve(size);
    uint32_t state = seed;
    while (data.size() < size) {
        state = state * 1103515245u + 12345u;
        if ((state >> 16) % 3 == 0) {
            for (int i = 0; i < 300 && data.size() < size; ++i) {
                state = state * 1103515245u + 12345u;
                data.push_back(static_cast<char>(state >> 24));
            }
        } else {
            char line[80];
            snprintf(line, sizeof line, "line %u of the patch data, file entry %u\r\n",
                     static_cast<unsigned>(data.size()), static_cast<unsigned>(state % 977));
            data.append(line);
        }
    }
    data.resize(size);
    return data;
}

std::string Compress(const std::string& data)
{
    unsigned int capacity = static_cast<unsigned int>(data.size() + data.size() / 100 + 600);
    std::string out(capacity, '\0');
    int rc = BZ2_bzBuffToBuffCompress(&out[0], &capacity, const_cast<char*>(data.data()),
                                      static_cast<unsigned int>(data.size()), 9, 0, 30);
    EXPECT_EQ(rc, BZ_OK);
    out.resize(rc == BZ_OK ? capacity : 0);
    return out;
}

struct ExpandFixture : ::testing::Test {
    TempGameDir dir;
    std::unique_ptr<PatchSession> session{new PatchSession};
    LaunchOptions options;
    FakeReporter reporter{true};
    PatchEngine engine{*session, options, reporter};

    void SetUp() override
    {
        g_msg.LoadText(std::string("146\t") + kExpandLabel + "\n");
        CreateDirectoryA("Temp", nullptr);
        CreateDirectoryA("Temp\\data", nullptr);
        session->stopped = 0;   // a patch is running
    }

    int Expand(const std::string& compressed)
    {
        dir.Write("Temp\\data\\a.bmd.bz_", compressed);
        int expanded = engine.DecompressFile("Temp\\data\\a.bmd.bz_", "Temp\\data\\");
        // As the end of a file list does: an end that came between two redraws shows.
        engine.ShowHeldTransferProgress();
        return expanded;
    }
    std::string Target() const { return dir.Read("Temp\\data\\a.bmd"); }
};

// The bar positions and captions one expansion of a source of total bytes may show:
// one report per consumed input block, each drawn only when it changed. Redraws are
// paced in time, so a run shows the first, the last (held until the end of the list
// when it comes between two redraws) and some of those in between.
void ExpectedProgress(uint32_t total, std::vector<int>* positions,
                      std::vector<std::string>* captions)
{
    for (uint32_t done = 0; done < total;) {
        done = total - done > kInputBlock ? done + kInputBlock : total;
        int pos = 50 + static_cast<int>(50ull * done / total);
        char caption[64];
        snprintf(caption, sizeof caption, "%s (%d%%)", kExpandLabel,
                 static_cast<int>(100ull * done / total));
        if (positions->empty() || positions->back() != pos)
            positions->push_back(pos);
        if (captions->empty() || captions->back() != caption)
            captions->push_back(caption);
    }
}

// shown starts with the first of expected, ends with its last, and keeps its order.
template <typename T>
bool PacedSubsequence(const std::vector<T>& shown, const std::vector<T>& expected)
{
    if (shown.empty() || expected.empty() || shown.front() != expected.front() ||
        shown.back() != expected.back())
        return false;
    size_t at = 0;
    for (const T& value : shown) {
        while (at < expected.size() && expected[at] != value)
            ++at;
        if (at == expected.size())
            return false;
        ++at;
    }
    return true;
}

TEST_F(ExpandFixture, ExpandsAFileOfManyBlocksWithProgressFromFiftyToHundred)
{
    std::string data = MakeData(700000, 7);
    std::string compressed = Compress(data);
    ASSERT_GT(compressed.size(), 8u * kInputBlock);   // many input blocks
    ASSERT_GT(data.size(), 4u * 131072);              // several output blocks

    ASSERT_EQ(Expand(compressed), 1);
    EXPECT_TRUE(Target() == data);
    EXPECT_TRUE(dir.Exists("Temp\\data\\a.bmd.bz_"));   // the driver deletes the source
    EXPECT_EQ(session->unpackTotal, compressed.size());
    EXPECT_EQ(session->unpackDone, compressed.size());

    std::vector<int> positions;
    std::vector<std::string> captions;
    ExpectedProgress(static_cast<uint32_t>(compressed.size()), &positions, &captions);
    EXPECT_TRUE(PacedSubsequence(reporter.BarPositions(kUpperBar), positions));
    EXPECT_TRUE(PacedSubsequence(reporter.captions, captions));
    EXPECT_EQ(reporter.LastBarPos(kUpperBar), 100);
    EXPECT_EQ(reporter.LastCaption(), "Expanding (100%)");
    EXPECT_TRUE(reporter.BarPositions(kLowerBar).empty());
    // One pump per decoder call: at least one per input block and per output block.
    EXPECT_GE(reporter.pumps, static_cast<int>(compressed.size() / kInputBlock));
    EXPECT_GE(reporter.pumps, static_cast<int>(data.size() / 131072));
    EXPECT_TRUE(reporter.statuses.empty());
}

TEST_F(ExpandFixture, SmallSourceIsOneBlockAtHundredPercent)
{
    std::string data = "short file\r\n";
    std::string compressed = Compress(data);
    ASSERT_LE(compressed.size(), kInputBlock);
    ASSERT_EQ(Expand(compressed), 1);
    EXPECT_EQ(Target(), data);
    EXPECT_EQ(reporter.BarPositions(kUpperBar), std::vector<int>{100});
    EXPECT_EQ(reporter.captions, std::vector<std::string>{"Expanding (100%)"});
}

TEST_F(ExpandFixture, EmptySourceGivesAnEmptyTargetAndNoProgress)
{
    ASSERT_EQ(Expand(""), 1);
    EXPECT_TRUE(dir.Exists("Temp\\data\\a.bmd"));
    EXPECT_EQ(Target(), "");
    EXPECT_TRUE(reporter.captions.empty());
    EXPECT_TRUE(reporter.barEvents.empty());
}

TEST_F(ExpandFixture, FailuresReturnZeroAndKeepWhatTheyLeave)
{
    // Not bzip2: the first decoder call fails; an empty target remains.
    EXPECT_EQ(Expand("plain text, not a compressed stream"), 0);
    EXPECT_TRUE(dir.Exists("Temp\\data\\a.bmd"));
    EXPECT_EQ(Target(), "");

    // Bytes after the end of the stream fail the expansion.
    std::string data = MakeData(20000, 3);
    EXPECT_EQ(Expand(Compress(data) + "trailing bytes"), 0);

    // So does a second stream appended to the first.
    EXPECT_EQ(Expand(Compress(data) + Compress(data)), 0);

    // A cut-short download does not count as a complete file.
    std::string compressed = Compress(MakeData(200000, 5));
    EXPECT_EQ(Expand(compressed.substr(0, compressed.size() / 2)), 0);

    // A missing source creates nothing.
    DeleteFileA("Temp\\data\\a.bmd");
    EXPECT_EQ(engine.DecompressFile("Temp\\data\\none.bmd.bz_", "Temp\\data\\"), 0);
    EXPECT_FALSE(dir.Exists("Temp\\data\\none.bmd"));
    EXPECT_TRUE(reporter.statuses.empty());   // the caller reports failures
}

TEST_F(ExpandFixture, ExistingTargetIsReplaced)
{
    dir.Write("Temp\\data\\a.bmd", std::string(300000, 'x'));
    std::string data = MakeData(5000, 11);
    ASSERT_EQ(Expand(Compress(data)), 1);
    EXPECT_EQ(Target(), data);
}

TEST_F(ExpandFixture, StopInTheMiddleDeletesTheTarget)
{
    std::string compressed = Compress(MakeData(600000, 9));
    reporter.StopAtPump(*session, 4);
    EXPECT_EQ(Expand(compressed), 0);
    EXPECT_EQ(reporter.pumps, 4);   // the flag is read right after each pump
    EXPECT_FALSE(dir.Exists("Temp\\data\\a.bmd"));
    EXPECT_TRUE(dir.Exists("Temp\\data\\a.bmd.bz_"));
    EXPECT_LT(session->unpackDone, session->unpackTotal);
    // Once stopped, the next attempt ends after its first decoder call.
    reporter.onPump = nullptr;
    reporter.pumps = 0;
    EXPECT_EQ(Expand(compressed), 0);
    EXPECT_EQ(reporter.pumps, 1);
    EXPECT_FALSE(dir.Exists("Temp\\data\\a.bmd"));
}

TEST_F(ExpandFixture, PumpDispatchesWaitingMessages)
{
    // A message waiting for the owner window is handled while the expansion runs.
    PostMessageA(reporter.OwnerWindow(), WM_NULL, 0, 0);
    PostMessageA(reporter.OwnerWindow(), WM_USER + 7, 0, 0);
    ASSERT_EQ(Expand(Compress(MakeData(100000, 13))), 1);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, reporter.OwnerWindow(), 0, 0, PM_NOREMOVE));
}

TEST_F(ExpandFixture, TargetNameDropsTheLastExtensionOnly)
{
    std::string data = "x";
    dir.Write("Temp\\data\\pack.tar.gz.bz_", Compress(data));
    ASSERT_EQ(engine.DecompressFile("Temp\\data\\pack.tar.gz.bz_", "Temp\\data\\"), 1);
    EXPECT_EQ(dir.Read("Temp\\data\\pack.tar.gz"), data);
    // The directory argument decides where the file goes; its file part is ignored.
    CreateDirectoryA("Temp\\other", nullptr);
    ASSERT_EQ(engine.DecompressFile("Temp\\data\\pack.tar.gz.bz_", "Temp\\other\\ignored"), 1);
    EXPECT_EQ(dir.Read("Temp\\other\\pack.tar.gz"), data);
}

} // namespace
