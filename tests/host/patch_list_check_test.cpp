// The one reader of "list.inf", the checks of its names, and the small arithmetic
// of the walk (version unpacking, transfer share).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/VersionTriple.h"
#include "patch/ListCheck.h"
#include "patch/ListReader.h"
#include "patch/TransferPercent.h"
#include "tests/host/TempDir.h"

namespace {

class ListFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = MakeTempDir("zr_listcheck");
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { RemoveTempDir(dir); }

    std::string Write(const std::string& bytes)
    {
        std::string path = dir + "/list.inf";
        EXPECT_TRUE(WriteTempFile(path, bytes));
        return path;
    }

    // Every item as "kind:text", a '+' after a cut text.
    std::vector<std::string> Items(const std::string& bytes, ListReader& reader)
    {
        EXPECT_EQ(reader.Open(Write(bytes).c_str()), 1);
        std::vector<std::string> items;
        for (int item = reader.Next(); item != kListEnd; item = reader.Next())
            items.push_back(std::to_string(item) + ":" + reader.Text() + (reader.Cut() ? "+" : ""));
        return items;
    }

    std::string dir;
};

} // namespace

TEST_F(ListFiles, ReaderYieldsFilesSwitchesTagsAndOthers)
{
    ListReader reader;
    std::vector<std::string> expected = {"3:COMPRESSED", "1:a.txt", "2:Data", "1:b c.bin",
                                         "4:", "2:", "2:x", "1:" + std::string(99, 'n') + "+"};
    EXPECT_EQ(Items("#COMPRESSED# a.txt 1 \"Data\" \"b c.bin\" , 2 ; 3 #x# \"" +
                    std::string(120, 'n') + "\"", reader),
              expected);
    EXPECT_EQ(reader.EndedInSwitch(), 0);
    // The token of a switch tells a quoted directory from any other.
    ListReader tagged;
    ASSERT_EQ(tagged.Open(Write("1 #t#").c_str()), 1);
    EXPECT_EQ(tagged.Next(), kListDirectory);
    EXPECT_EQ(tagged.Token(), kTokenTag);
    // A number at the very end is a switch without its directory, and ends the list.
    EXPECT_EQ(Items("a 5 ", reader), std::vector<std::string>{"1:a"});
    EXPECT_EQ(reader.EndedInSwitch(), 1);
    EXPECT_EQ(reader.Next(), kListEnd);
    EXPECT_EQ(reader.Open((dir + "/missing.inf").c_str()), 0);
    EXPECT_EQ(reader.Next(), kListEnd);
}

TEST(ListNames, JoinAndCompressedSuffix)
{
    char out[12];
    EXPECT_EQ(JoinListPath("Data", "a.txt", out, sizeof out), 1);
    EXPECT_STREQ(out, "Data\\a.txt");
    EXPECT_EQ(JoinListPath("", "a.txt", out, sizeof out), 1);
    EXPECT_STREQ(out, "a.txt");
    // One byte too long for the buffer: refused and emptied, never cut.
    EXPECT_EQ(JoinListPath("Data", "abcdef.txt", out, sizeof out), 0);
    EXPECT_STREQ(out, "");

    EXPECT_EQ(CompressedSuffixOk("a.bz2"), 1);
    EXPECT_EQ(CompressedSuffixOk("Data\\a.txt.bz2"), 1);
    for (const char* bad : {".bz2", "a.bz", "abz2", "a.b.2", "a.b\\2", "Data\\.bz2", "Data/.bz2", ""})
        EXPECT_EQ(CompressedSuffixOk(bad), 0) << bad;
}

TEST(ListNames, EntriesStayInsideTheGameDirectory)
{
    EXPECT_EQ(CheckListEntry("", "a.txt", 0), 1);
    EXPECT_EQ(CheckListEntry("Data\\Sub", "a.txt", 0), 1);
    EXPECT_EQ(CheckListEntry("", "..\\a.txt", 0), 0);
    EXPECT_EQ(CheckListEntry("", "c:a.txt", 0), 0);
    EXPECT_EQ(CheckListEntry("", std::string(260, 'a').c_str(), 0), 0);
    EXPECT_EQ(CheckListEntry("", "zr.exe.bz2", 1), 1);
    EXPECT_EQ(CheckListEntry("", "zr.ex", 1), 0);
    // Safe with its suffix, unsafe without it: "Data\.." and "a.".
    EXPECT_EQ(CheckListEntry("Data", "...bz2", 1), 0);
    EXPECT_EQ(CheckListEntry("", "a..bz2", 1), 0);
}

TEST_F(ListFiles, CheckFileListRefusesAnyBadNameOrCutToken)
{
    EXPECT_EQ(CheckFileList(Write("a.txt 1 \"Data\" b.txt 2 \"\" c.txt ; 3").c_str(), 0), 1);
    EXPECT_EQ(CheckFileList(Write("a.bz2 1 \"Data\" b.txt.bz2").c_str(), 1), 1);
    EXPECT_EQ(CheckFileList(Write("a.bz2 readme").c_str(), 1), 0);
    EXPECT_EQ(CheckFileList(Write("a.txt 1 \"..\" b.txt").c_str(), 0), 0);
    // A trailing separator is dropped as Windows drops it; a parent is still refused.
    EXPECT_EQ(CheckFileList(Write("a.txt 1 \"Data\\\\\" b.txt").c_str(), 0), 1);
    EXPECT_EQ(CheckFileList(Write("a.txt 1 \"..\\\\\" b.txt").c_str(), 0), 0);
    EXPECT_EQ(CheckFileList(Write("\"" + std::string(100, 'a') + "\"").c_str(), 0), 0);
    EXPECT_EQ(CheckFileList(Write("1 \"" + std::string(100, 'd') + "\" a").c_str(), 0), 0);
    // A bad name after good ones and a switch still fails the whole list.
    EXPECT_EQ(CheckFileList(Write("a.txt 1 \"Data\" \"nul.txt\"").c_str(), 0), 0);
    EXPECT_EQ(CheckFileList(Write("a.bz2 1 \"Data\" \"a..bz2\"").c_str(), 1), 0);
    EXPECT_EQ(CheckFileList((dir + "/missing.inf").c_str(), 0), 0);
}

TEST(WalkArithmetic, UnpackVersionAndTransferPercent)
{
    VersionTriple v = UnpackVersion(PackVersion(VersionTriple{1, 2, 255}));
    EXPECT_EQ(v.major, 1);
    EXPECT_EQ(v.minor, 2);
    EXPECT_EQ(v.patch, 255);
    v = UnpackVersion(0x7F030405);
    EXPECT_EQ(v.major, 3);
    EXPECT_EQ(v.patch, 5);

    EXPECT_EQ(TransferPercent(0, 0, 100), 0);
    EXPECT_EQ(TransferPercent(2147483647u, 2147483647u, 100), 100);
    EXPECT_EQ(TransferPercent(2147483647u / 2, 2147483647u, 50), 24);
    EXPECT_EQ(TransferPercent(5000, 4096, 100), 100);
    EXPECT_EQ(TransferPercent(1, 3, 100), 33);
    EXPECT_EQ(TransferPercent(0xFFFFFFFFu, 0xFFFFFFFFu, 2147483647), 2147483647);
}
