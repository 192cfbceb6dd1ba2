// "patch.log": writing lines, the plain readers, the entry reader and the in-memory
// index, each on a log in its own temporary directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <unistd.h>

#include "patch/PatchLog.h"
#include "patch/PatchLogIndex.h"
#include "tests/host/TempDir.h"

namespace {

PackedVersion Packed(int major, int minor, int patch)
{
    return PackVersion(VersionTriple{static_cast<unsigned char>(major),
                                     static_cast<unsigned char>(minor),
                                     static_cast<unsigned char>(patch)});
}

class PatchLogFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = MakeTempDir("zr_patchlog");
        ASSERT_FALSE(dir.empty());
        logPath = dir + "/patch.log";
    }

    void TearDown() override
    {
        RemoveTempDir(dir);
    }

    void WriteRaw(const std::string& bytes)
    {
        FILE* f = fopen(logPath.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }

    std::string ReadRaw()
    {
        std::string bytes;
        if (FILE* f = fopen(logPath.c_str(), "rb")) {
            int c;
            while ((c = fgetc(f)) != EOF)
                bytes.push_back(static_cast<char>(c));
            fclose(f);
        }
        return bytes;
    }

    std::vector<std::string> Entries()
    {
        std::vector<std::string> texts;
        PatchLogReader reader;
        if (!reader.Open(logPath.c_str()))
            return texts;
        PatchLogLine line;
        while (reader.NextFileEntry(&line))
            texts.push_back(line.text);
        return texts;
    }

    // Both readers must agree; the index is loaded from the file as it stands.
    int HasFile(const char* path)
    {
        PatchLog plain(logPath.c_str());
        PatchLogIndex index(logPath.c_str());
        EXPECT_EQ(index.Load(), 1);
        int answer = plain.LogHasFile(path);
        EXPECT_EQ(index.LogHasFile(path), answer) << path;
        return answer;
    }

    int IsStale(PackedVersion target)
    {
        PatchLog plain(logPath.c_str());
        PatchLogIndex index(logPath.c_str());
        EXPECT_EQ(index.Load(), 1);
        int answer = plain.LogIsStale(target);
        EXPECT_EQ(index.LogIsStale(target), answer) << target;
        return answer;
    }

    std::string dir;
    std::string logPath;
};

TEST_F(PatchLogFile, AppendWritesKindBlankTextLines)
{
    PatchLog log(logPath.c_str());
    EXPECT_EQ(log.Exists(), 0);
    EXPECT_EQ(log.AppendLogLine('V', "1.2.3"), 1);
    EXPECT_EQ(log.AppendLogLine('F', "data\\a.bmd"), 1);
    EXPECT_EQ(log.AppendLogLine('F', "read me.txt"), 1);
    EXPECT_EQ(log.Exists(), 1);
    EXPECT_EQ(ReadRaw(), "V 1.2.3\nF data\\a.bmd\nF read me.txt\n");
}

TEST_F(PatchLogFile, AppendFailsWhenTheLogCannotBeOpened)
{
    PatchLog log((dir + "/missing/patch.log").c_str());
    EXPECT_EQ(log.AppendLogLine('F', "a.txt"), 0);
    EXPECT_EQ(log.Exists(), 0);
}

TEST_F(PatchLogFile, VersionLineDecidesStaleness)
{
    WriteRaw("V 1.2.3\nF a.txt\n");
    EXPECT_EQ(IsStale(Packed(1, 2, 3)), 0);
    EXPECT_EQ(IsStale(Packed(1, 2, 4)), 1);
    EXPECT_EQ(IsStale(Packed(1, 3, 3)), 1);
    EXPECT_EQ(IsStale(0), 1);

    // Only the first version line counts.
    WriteRaw("F a.txt\nV 2.0.1\nV 1.2.3\n");
    EXPECT_EQ(IsStale(Packed(2, 0, 1)), 0);
    EXPECT_EQ(IsStale(Packed(1, 2, 3)), 1);

    // The version text is read like config.ini's: parts modulo 256, missing parts 0.
    WriteRaw("V 1.258\n");
    EXPECT_EQ(IsStale(Packed(1, 2, 0)), 0);
}

TEST_F(PatchLogFile, LogWithoutVersionLineIsVersionZero)
{
    WriteRaw("F a.txt\nX 1.2.3\n");
    EXPECT_EQ(IsStale(0), 0);
    EXPECT_EQ(IsStale(Packed(0, 0, 1)), 1);
    EXPECT_EQ(IsStale(Packed(1, 2, 3)), 1);
    WriteRaw("");
    EXPECT_EQ(IsStale(0), 0);
    EXPECT_EQ(IsStale(Packed(3, 0, 0)), 1);
}

TEST_F(PatchLogFile, NoLogIsNeitherStaleNorHasFiles)
{
    EXPECT_EQ(IsStale(Packed(1, 2, 3)), 0);
    EXPECT_EQ(IsStale(0), 0);
    EXPECT_EQ(HasFile("a.txt"), 0);
    EXPECT_TRUE(Entries().empty());
    PatchLogReader reader;
    EXPECT_EQ(reader.Open(logPath.c_str()), 0);
}

TEST_F(PatchLogFile, HasFileComparesExactly)
{
    WriteRaw("V 1.0.0\nF data\\a.bmd\nF data/b.bmd\nV data\\v.bmd\nX data\\x.bmd\n");
    EXPECT_EQ(HasFile("data\\a.bmd"), 1);
    EXPECT_EQ(HasFile("data\\A.bmd"), 0);
    EXPECT_EQ(HasFile("DATA\\a.bmd"), 0);
    EXPECT_EQ(HasFile("data/a.bmd"), 0);
    EXPECT_EQ(HasFile("data\\a.bm"), 0);
    EXPECT_EQ(HasFile("data\\a.bmdx"), 0);
    EXPECT_EQ(HasFile("data/b.bmd"), 1);
    // Only 'F' lines name files.
    EXPECT_EQ(HasFile("data\\v.bmd"), 0);
    EXPECT_EQ(HasFile("data\\x.bmd"), 0);
    EXPECT_EQ(HasFile("1.0.0"), 0);
    EXPECT_EQ(HasFile(""), 0);
}

TEST_F(PatchLogFile, NamesWithBlanksReadBackWhole)
{
    PatchLog log(logPath.c_str());
    ASSERT_EQ(log.AppendLogLine('V', "1.0.0"), 1);
    ASSERT_EQ(log.AppendLogLine('F', "Data\\My File (2).bmd"), 1);
    ASSERT_EQ(log.AppendLogLine('F', " lead.txt"), 1);
    ASSERT_EQ(log.AppendLogLine('F', "two  blanks "), 1);
    EXPECT_EQ(HasFile("Data\\My File (2).bmd"), 1);
    EXPECT_EQ(HasFile("Data\\My"), 0);
    EXPECT_EQ(HasFile("File"), 0);
    EXPECT_EQ(HasFile(" lead.txt"), 1);
    EXPECT_EQ(HasFile("lead.txt"), 0);
    EXPECT_EQ(HasFile("two  blanks "), 1);
    EXPECT_EQ(HasFile("two blanks"), 0);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Data\\My File (2).bmd", " lead.txt",
                                                   "two  blanks "}));
}

TEST_F(PatchLogFile, ReadsLinesOfOtherWriters)
{
    // CR/LF line ends, a tab as separator, no separator, empty lines, other kinds
    // and a last line without its line break.
    WriteRaw("V 1.2.3\r\nF a.txt\r\n\nF\tb.txt\nFc.txt\n\r\nX d.txt\nF \nF\nF e.txt");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "e.txt"}));
    EXPECT_EQ(HasFile("a.txt"), 1);
    EXPECT_EQ(HasFile("a.txt\r"), 0);
    EXPECT_EQ(HasFile("d.txt"), 0);
    EXPECT_EQ(HasFile("e.txt"), 1);
    EXPECT_EQ(IsStale(Packed(1, 2, 3)), 0);
}

TEST_F(PatchLogFile, FileLoggedTwiceIsYieldedTwice)
{
    PatchLog log(logPath.c_str());
    ASSERT_EQ(log.AppendLogLine('V', "1.0.0"), 1);
    ASSERT_EQ(log.AppendLogLine('F', "a.txt"), 1);
    ASSERT_EQ(log.AppendLogLine('F', "b.txt"), 1);
    ASSERT_EQ(log.AppendLogLine('F', "a.txt"), 1);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"a.txt", "b.txt", "a.txt"}));
    EXPECT_EQ(HasFile("a.txt"), 1);
    PatchLogIndex index(logPath.c_str());
    ASSERT_EQ(index.Load(), 1);
    EXPECT_EQ(index.FileEntryCount(), 2u);
}

TEST_F(PatchLogFile, LongTextsAreRefusedAndUnreadableNeverCut)
{
    std::string longest(kMaxLogText, 'a');
    std::string tooLong(kMaxLogText + 1, 'a');
    PatchLog log(logPath.c_str());
    ASSERT_EQ(log.AppendLogLine('V', "1.0.0"), 1);
    EXPECT_EQ(log.AppendLogLine('F', longest.c_str()), 1);
    EXPECT_EQ(log.AppendLogLine('F', tooLong.c_str()), 0);
    EXPECT_EQ(log.AppendLogLine('F', "a\nb"), 0);
    EXPECT_EQ(log.AppendLogLine('F', "a\rb"), 0);
    EXPECT_EQ(log.AppendLogLine('\n', "a"), 0);
    EXPECT_EQ(log.AppendLogLine('F', nullptr), 0);
    EXPECT_EQ(ReadRaw(), "V 1.0.0\nF " + longest + "\n");
    EXPECT_EQ(HasFile(longest.c_str()), 1);
    EXPECT_EQ(HasFile(tooLong.c_str()), 0);

    // Written by someone else: a long line never matches its first 259 bytes, and
    // the lines after it read normally. A very long version line does not count.
    std::string huge(100000, 'b');
    WriteRaw("V " + std::string(300, '7') + "\nV 1.2.3\nF " + tooLong + "\nF " + huge +
             "\nF " + longest + "\r\nF next.txt\n");
    EXPECT_EQ(HasFile(tooLong.c_str()), 0);
    EXPECT_EQ(HasFile(tooLong.substr(0, kMaxLogText).c_str()), 1);
    EXPECT_EQ(HasFile(huge.substr(0, kMaxLogText).c_str()), 0);
    EXPECT_EQ(HasFile("next.txt"), 1);
    EXPECT_EQ(IsStale(Packed(1, 2, 3)), 0);
    EXPECT_EQ(Entries(), (std::vector<std::string>{longest, "next.txt"}));
}

TEST_F(PatchLogFile, BrokenBytesDoNotShiftLines)
{
    std::string bytes = "V 1.0.0\nF a";
    bytes.push_back('\0');
    bytes += "b.txt\nF c.txt\n";
    WriteRaw(bytes);
    EXPECT_EQ(HasFile("a"), 0);
    EXPECT_EQ(HasFile("c.txt"), 1);
    EXPECT_EQ(Entries(), std::vector<std::string>{"c.txt"});
}

TEST_F(PatchLogFile, AppendAfterCutShortLineStartsANewLine)
{
    WriteRaw("V 1.0.0\nF a.txt");
    PatchLogIndex index(logPath.c_str());
    ASSERT_EQ(index.Load(), 1);
    EXPECT_EQ(index.AppendLogLine('F', "b.txt"), 1);
    EXPECT_EQ(ReadRaw(), "V 1.0.0\nF a.txt\nF b.txt\n");
    EXPECT_EQ(index.LogHasFile("a.txt"), 1);
    EXPECT_EQ(index.LogHasFile("b.txt"), 1);
    EXPECT_EQ(HasFile("a.txt"), 1);
    EXPECT_EQ(HasFile("b.txt"), 1);
}

TEST_F(PatchLogFile, IndexFollowsAppendsAndRestart)
{
    PatchLogIndex index(logPath.c_str());
    ASSERT_EQ(index.Load(), 1);
    EXPECT_EQ(index.Exists(), 0);
    EXPECT_EQ(index.LogIsStale(Packed(1, 0, 0)), 0);
    EXPECT_EQ(index.AppendLogLine('V', "1.0.0"), 1);
    EXPECT_EQ(index.Exists(), 1);
    EXPECT_EQ(index.LogIsStale(Packed(1, 0, 0)), 0);
    EXPECT_EQ(index.AppendLogLine('F', "a.txt"), 1);
    EXPECT_EQ(index.LogHasFile("a.txt"), 1);
    // A later version line does not change the log's version.
    EXPECT_EQ(index.AppendLogLine('V', "2.0.0"), 1);
    EXPECT_EQ(index.LogIsStale(Packed(1, 0, 0)), 0);

    // The stale case: the log is deleted and restarted for the new version.
    EXPECT_EQ(index.DeleteLog(), 1);
    EXPECT_EQ(index.Exists(), 0);
    EXPECT_EQ(index.LogHasFile("a.txt"), 0);
    EXPECT_EQ(PatchLog(logPath.c_str()).Exists(), 0);
    EXPECT_EQ(index.AppendLogLine('V', "2.0.0"), 1);
    EXPECT_EQ(index.LogIsStale(Packed(2, 0, 0)), 0);
    EXPECT_EQ(index.LogHasFile("a.txt"), 0);
    EXPECT_EQ(ReadRaw(), "V 2.0.0\n");

    // A refused line leaves file and index unchanged.
    EXPECT_EQ(index.AppendLogLine('F', std::string(300, 'x').c_str()), 0);
    EXPECT_EQ(index.FileEntryCount(), 0u);
    EXPECT_EQ(ReadRaw(), "V 2.0.0\n");
}

TEST_F(PatchLogFile, IndexAppendThatCannotOpenKeepsState)
{
    PatchLogIndex index((dir + "/missing/patch.log").c_str());
    ASSERT_EQ(index.Load(), 1);
    EXPECT_EQ(index.AppendLogLine('V', "1.0.0"), 0);
    EXPECT_EQ(index.Exists(), 0);
    EXPECT_EQ(index.LogIsStale(Packed(9, 9, 9)), 0);
}

} // namespace
