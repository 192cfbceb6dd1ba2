// Parts of the patch builder: version and suffix rules, the list text, the name
// checks, bzip2 files; and the load generator's percentiles.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/loadgen/LatencyStats.h"
#include "tools/patch_builder/BuildRules.h"
#include "tools/patch_builder/Bzip2File.h"
#include "tools/patch_builder/LauncherLimits.h"
#include "tools/patch_builder/ListWriter.h"

namespace {

ChangedFile File(const std::string& path, uint64_t size = 1)
{
    ChangedFile file;
    file.path = path;
    size_t slash = path.rfind('/');
    file.directory = slash == std::string::npos ? "" : path.substr(0, slash);
    file.name = slash == std::string::npos ? path : path.substr(slash + 1);
    file.size = size;
    return file;
}

std::string Joined(const std::vector<std::string>& problems)
{
    std::string all;
    for (const std::string& p : problems)
        all += p + "\n";
    return all;
}

std::string TempPath(const char* name)
{
    return std::string("/tmp/zr-tools-parts-") + std::to_string(getpid()) + "-" + name;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(BuildRules, StrictVersionText)
{
    VersionTriple v;
    ASSERT_EQ(1, ParseStrictVersion("1.02.255", v));
    EXPECT_EQ(1, v.major);
    EXPECT_EQ(2, v.minor);
    EXPECT_EQ(255, v.patch);
    for (const char* bad : {"", "1", "1.2", "1.2.3.4", "1.2.256", "1..3", ".1.2", "1.2.",
                            "1.2.a", "-1.2.3", "1.2.0003", " 1.2.3"})
        EXPECT_EQ(0, ParseStrictVersion(bad, v)) << bad;
}

TEST(BuildRules, Suffixes)
{
    EXPECT_EQ(1, IsValidSuffix(".bz2"));
    EXPECT_EQ(1, IsValidSuffix(".BZ_"));
    for (const char* bad : {"", ".bz", ".bzip", "xbz2", ".b.z", "..bz", ".bz ", ".b/z", ".b:z",
                            ".b*z"})
        EXPECT_EQ(0, IsValidSuffix(bad)) << bad;
}

TEST(BuildRules, DirectoryNameMustReadAsTheVersion)
{
    BuildOptions options;
    options.versionText = "1.2.3";
    std::vector<std::string> problems;
    CheckOptions(options, problems);
    EXPECT_TRUE(problems.empty()) << Joined(problems);

    options.dirName = "1.02.03";
    CheckOptions(options, problems);
    EXPECT_TRUE(problems.empty()) << Joined(problems);

    options.dirName = "v1.2.3";
    CheckOptions(options, problems);
    EXPECT_NE(std::string::npos, Joined(problems).find("reads as version 0.2.3"));

    problems.clear();
    options.dirName = "../1.2.3";
    CheckOptions(options, problems);
    EXPECT_NE(std::string::npos, Joined(problems).find("not a plain directory name"));
}

TEST(BuildRules, NameCollisionsInTheFlatDirectory)
{
    TreeChanges changes;
    changes.files = {File("a/Same.dat"), File("b/same.DAT"), File("c/other.dat")};
    std::vector<std::string> problems;
    CheckChanges(changes, "", problems);
    ASSERT_EQ(1u, problems.size()) << Joined(problems);
    EXPECT_NE(std::string::npos, problems[0].find("\"b/same.DAT\" and \"a/Same.dat\""));

    // With a suffix the stored names are compared, suffix included.
    problems.clear();
    changes.files = {File("x.bz2"), File("d/x")};
    CheckChanges(changes, ".bz2", problems);
    EXPECT_TRUE(problems.empty()) << Joined(problems);   // "x.bz2.bz2" and "x.bz2"
}

TEST(BuildRules, PathLengthCountsTheTempPrefixAndSuffix)
{
    std::string directory;
    while (directory.size() < 240)
        directory += "abcdefghi/";
    directory.pop_back();   // 239 characters in 24 levels of 9
    TreeChanges changes;
    // 254 characters with the separator, 259 with "Temp\".
    changes.files = {File(directory + "/" + std::string(14, 'f'))};
    std::vector<std::string> problems;
    CheckChanges(changes, "", problems);
    EXPECT_EQ(std::string::npos, Joined(problems).find("too long for the launcher"));
    problems.clear();
    CheckChanges(changes, ".bz2", problems);
    EXPECT_NE(std::string::npos, Joined(problems).find("(263 of at most 259"));
}

TEST(ListWriter, GameDirectoryFirstThenEveryLevelOnce)
{
    std::vector<ChangedFile> files = {File("top.exe"), File("a/b/c/deep.txt"),
                                      File("a/b/mid.txt"), File("z.txt")};
    ListOptions options;
    options.versionText = "1.0.1";
    std::string text = BuildListText(files, {"new/empty"}, options);
    EXPECT_EQ("// list.inf of version 1.0.1, written by zr-patch-builder\n"
              "\"top.exe\"\n"
              "\"z.txt\"\n"
              "1 \"a\"\n"
              "1 \"a\\b\"\n"
              "\"mid.txt\"\n"
              "1 \"a\\b\\c\"\n"
              "\"deep.txt\"\n"
              "1 \"new\"\n"
              "1 \"new\\empty\"\n",
              text);
}

TEST(ListWriter, TagsAndSuffix)
{
    ListOptions options;
    options.versionText = "2.0.0";
    options.suffix = ".bz2";
    options.testServer = true;
    std::string text = BuildListText({File("d/a b.txt")}, {}, options);
    EXPECT_NE(std::string::npos, text.find("#COMPRESSED#\n#TEST_SERVER#\n1 \"d\"\n\"a b.txt.bz2\"\n"));
    EXPECT_EQ((std::vector<std::string>{"x", "x/y", "x/y/z"}), DirectoryLevels("x/y/z"));
    EXPECT_TRUE(DirectoryLevels("").empty());
}

TEST(Bzip2File, RoundTripAndFaults)
{
    std::string plain = TempPath("plain"), packed = TempPath("packed"), out = TempPath("out");
    std::string content;
    for (int i = 0; i < 200000; ++i)
        content += static_cast<char>((i * 7) % 13 == 0 ? i % 251 : 'a');
    std::ofstream(plain, std::ios::binary) << content;
    std::string error;
    unlink(packed.c_str());
    ASSERT_EQ(1, CompressFile(plain, packed, error)) << error;
    ASSERT_EQ(1, CheckCompressedFile(packed, error)) << error;
    ASSERT_EQ(1, DecompressFile(packed, out, error)) << error;
    EXPECT_EQ(content, ReadAll(out));

    // The builder never overwrites: a second compression into the same name fails.
    EXPECT_EQ(0, CompressFile(plain, packed, error));

    std::string stream = ReadAll(packed);
    std::ofstream(packed, std::ios::binary) << stream << stream;   // two streams
    EXPECT_EQ(0, CheckCompressedFile(packed, error));
    EXPECT_NE(std::string::npos, error.find("bytes follow the end"));
    std::ofstream(packed, std::ios::binary) << stream.substr(0, stream.size() / 2);
    EXPECT_EQ(0, CheckCompressedFile(packed, error));
    EXPECT_NE(std::string::npos, error.find("cut short"));
    std::ofstream(packed, std::ios::binary) << "not bzip2 at all";
    EXPECT_EQ(0, CheckCompressedFile(packed, error));
    EXPECT_NE(std::string::npos, error.find("not a valid bzip2 stream"));
    for (const std::string& p : {plain, packed, out})
        unlink(p.c_str());
}

TEST(Bzip2File, EmptyFileBecomesAValidNonEmptyStream)
{
    std::string plain = TempPath("empty"), packed = TempPath("empty.bz2"), out = TempPath("e");
    std::ofstream(plain, std::ios::binary).close();
    std::string error;
    unlink(packed.c_str());
    ASSERT_EQ(1, CompressFile(plain, packed, error)) << error;
    EXPECT_GT(ReadAll(packed).size(), 0u);
    ASSERT_EQ(1, DecompressFile(packed, out, error)) << error;
    EXPECT_EQ("", ReadAll(out));
    for (const std::string& p : {plain, packed, out})
        unlink(p.c_str());
}

TEST(LatencyStats, NearestRankPercentiles)
{
    LatencyStats stats;
    EXPECT_EQ(0.0, stats.Percentile(50));
    for (int i = 100; i >= 1; --i)
        stats.Add(i);
    EXPECT_EQ(50.0, stats.Percentile(50));
    EXPECT_EQ(99.0, stats.Percentile(99));
    EXPECT_EQ(100.0, stats.Percentile(100));
    EXPECT_EQ(100.0, stats.Max());
    stats.Add(0.5);
    EXPECT_EQ(50.0, stats.Percentile(50));   // rank ceil(50.5) = 51 of 101: 0.5, 1 ... 50
    EXPECT_EQ(0.5, stats.Percentile(0.5));
}
