// The list scanner and the two formats read with it: the version catalogue and
// "list.inf". Every test writes its files into its own temporary directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <unistd.h>

#include "app/PatchSession.h"
#include "patch/Catalogue.h"
#include "patch/ListFile.h"
#include "patch/ListScanner.h"
#include "tests/host/TempDir.h"

namespace {

typedef std::pair<int, std::string> Token;

// A fresh directory per test, removed with everything in it afterwards.
class ScannerFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = MakeTempDir("zr_scanner");
        ASSERT_FALSE(dir.empty());
    }

    void TearDown() override
    {
        RemoveTempDir(dir);
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::string path = dir + "/" + name;
        EXPECT_TRUE(WriteTempFile(path, bytes));
        return path;
    }

    // All tokens up to and including the end token; the text is tokenText, or
    // numberText for numbers.
    std::vector<Token> Scan(const std::string& bytes)
    {
        ListScanner scanner;
        EXPECT_EQ(scanner.Open(Write("scan.txt", bytes).c_str()), 1);
        std::vector<Token> tokens;
        for (size_t guard = 0; guard <= bytes.size() + 1; ++guard) {
            int code = scanner.ScanToken();
            tokens.emplace_back(code, code == kTokenNumber ? scanner.numberText
                                                           : scanner.tokenText);
            if (code == kTokenEnd)
                break;
        }
        return tokens;
    }

    std::string dir;
};

Token Name(const std::string& text) { return Token(kTokenName, text); }
Token Number(const std::string& text) { return Token(kTokenNumber, text); }
Token Tag(const std::string& text) { return Token(kTokenTag, text); }
Token Code(int code) { return Token(code, ""); }
const Token kEnd = Token(kTokenEnd, "");

typedef std::vector<Token> Tokens;

std::unique_ptr<PatchSession> NewSession()
{
    return std::unique_ptr<PatchSession>(new PatchSession());
}

} // namespace

TEST_F(ScannerFiles, EmptyFileAndEndIsSticky)
{
    ListScanner scanner;
    ASSERT_EQ(scanner.Open(Write("empty", "").c_str()), 1);
    EXPECT_EQ(scanner.ScanToken(), kTokenEnd);
    EXPECT_EQ(scanner.ScanToken(), kTokenEnd);
    scanner.Close();
    scanner.Close();
    EXPECT_EQ(scanner.ScanToken(), kTokenEnd);
    EXPECT_EQ(scanner.Open((dir + "/missing").c_str()), 0);
    EXPECT_EQ(scanner.ScanToken(), kTokenEnd);
    EXPECT_EQ(Scan("  \n\t\r\n\v\f "), Tokens({kEnd}));
}

TEST_F(ScannerFiles, CommentsBlankLinesAndSlashes)
{
    EXPECT_EQ(Scan("// head\n\n   \r\n\"a\" // tail \"b\"\nc\n"),
              Tokens({Name("a"), Name("c"), kEnd}));
    // A comment on the last line without a line end ends the file.
    EXPECT_EQ(Scan("x\n// last"), Tokens({Name("x"), kEnd}));
    EXPECT_EQ(Scan("//"), Tokens({kEnd}));
    // A lone slash is dropped and the next character scans in its place.
    EXPECT_EQ(Scan("/x"), Tokens({Name("x"), kEnd}));
    EXPECT_EQ(Scan("a/b / c"), Tokens({Name("a"), Name("b"), Name("c"), kEnd}));
    EXPECT_EQ(Scan("/ // comment\nz"), Tokens({Name("z"), kEnd}));
    // A slash as the very last byte gives one "other" token, then the end.
    EXPECT_EQ(Scan("a /"), Tokens({Name("a"), Code(kTokenOther), kEnd}));
    EXPECT_EQ(Scan("/"), Tokens({Code(kTokenOther), kEnd}));
}

TEST_F(ScannerFiles, QuotedNamesTagsAndPunctuation)
{
    EXPECT_EQ(Scan("\"read me.txt\" \"Data\\Sub #x# //y\" \"\""),
              Tokens({Name("read me.txt"), Name("Data\\Sub #x# //y"), Name(""), kEnd}));
    EXPECT_EQ(Scan("#COMPRESSED##TEST_SERVER# #a \"b#"),
              Tokens({Tag("COMPRESSED"), Tag("TEST_SERVER"), Tag("a \"b"), kEnd}));
    EXPECT_EQ(Scan(",;{}_\x80\xff!"),
              Tokens({Code(kTokenComma), Code(kTokenSemicolon), Code(kTokenOpenBrace),
                      Code(kTokenCloseBrace), Code(kTokenOther), Code(kTokenOther),
                      Code(kTokenOther), Code(kTokenOther), kEnd}));
    EXPECT_EQ(Scan("\"\xb0\xa1\xb3\xaa.bmd\""), Tokens({Name("\xb0\xa1\xb3\xaa.bmd"), kEnd}));
}

TEST_F(ScannerFiles, UnterminatedNamesRunToTheEnd)
{
    EXPECT_EQ(Scan("a \"abc def\nghi"), Tokens({Name("a"), Name("abc def\nghi"), kEnd}));
    EXPECT_EQ(Scan("#COMPR"), Tokens({Tag("COMPR"), kEnd}));
    EXPECT_EQ(Scan("\""), Tokens({Name(""), kEnd}));
}

TEST_F(ScannerFiles, IdentifiersPutBackNumbersSwallow)
{
    EXPECT_EQ(Scan("ab_c.d9,x"),
              Tokens({Name("ab_c.d9"), Code(kTokenComma), Name("x"), kEnd}));
    // A byte above 0x7F is no letter: it ends an identifier and scans alone.
    EXPECT_EQ(Scan("a\xe9" "b"), Tokens({Name("a"), Code(kTokenOther), Name("b"), kEnd}));
    // The character after a number is dropped, whatever it is.
    EXPECT_EQ(Scan("12.5-3x y"), Tokens({Number("12.5-3"), Name("y"), kEnd}));
    EXPECT_EQ(Scan("-e"), Tokens({Number("-"), kEnd}));
    EXPECT_EQ(Scan("1,2"), Tokens({Number("1"), Number("2"), kEnd}));
    EXPECT_EQ(Scan("7"), Tokens({Number("7"), kEnd}));
    // The number 3 swallows the opening quote of "Data": Data scans as an identifier
    // and its closing quote opens a name that runs to the next quote.
    EXPECT_EQ(Scan("3\"Data\"\n\"file.txt\"\n"),
              Tokens({Number("3"), Name("Data"), Name("\n"), Name("file.txt"), Name("\n"),
                      kEnd}));
}

TEST_F(ScannerFiles, OverlongTokensKeepTheirFirst99Characters)
{
    const std::string exact(99, 'n');
    const std::string longName(150, 'n');
    const std::string longDigits(300, '7');
    ListScanner scanner;
    ASSERT_EQ(scanner.Open(Write("long", exact + " " + longName + " \"" + longName +
                                             "\" #" + longName + "# " + longDigits +
                                             "x next").c_str()),
              1);
    ASSERT_EQ(scanner.ScanToken(), kTokenName);
    EXPECT_EQ(std::string(scanner.tokenText), exact);
    EXPECT_EQ(scanner.tokenCut, 0);
    for (int expected : {kTokenName, kTokenName, kTokenTag}) {
        ASSERT_EQ(scanner.ScanToken(), expected);
        EXPECT_EQ(std::string(scanner.tokenText), exact);
        EXPECT_EQ(scanner.tokenCut, 1);
    }
    ASSERT_EQ(scanner.ScanToken(), kTokenNumber);
    EXPECT_EQ(std::string(scanner.numberText), std::string(99, '7'));
    EXPECT_EQ(scanner.tokenCut, 1);
    // The rest of each long token was consumed: the stream is still in step.
    ASSERT_EQ(scanner.ScanToken(), kTokenName);
    EXPECT_STREQ(scanner.tokenText, "next");
    EXPECT_EQ(scanner.tokenCut, 0);
    EXPECT_EQ(scanner.ScanToken(), kTokenEnd);
}

TEST_F(ScannerFiles, ReopenClosesTheFirstFile)
{
    ListScanner scanner;
    ASSERT_EQ(scanner.Open(Write("one", "first").c_str()), 1);
    ASSERT_EQ(scanner.Open(Write("two", "second").c_str()), 1);
    ASSERT_EQ(scanner.ScanToken(), kTokenName);
    EXPECT_STREQ(scanner.tokenText, "second");
}

TEST_F(ScannerFiles, CatalogueVersions)
{
    auto s = NewSession();
    std::string path = Write("version.cvd",
                             "// versions in install order\n"
                             "\"1.02.05\" \"1.02.06\"\n\"2\"\n\"1..3\"\n\"300.1.1\"\n"
                             "\"10.20.30\" 1.02.07 #tag# , ; { } _ v1.2\n");
    ASSERT_EQ(ParseCatalogueFile(path.c_str(), *s), kCatalogueOk);
    ASSERT_EQ(s->versionCount, 7);
    struct Expected {
        const char* name;
        int major, minor, patch;
    } expected[] = {{"1.02.05", 1, 2, 5}, {"1.02.06", 1, 2, 6}, {"2", 2, 0, 0},
                    {"1..3", 1, 3, 0},    {"300.1.1", 44, 1, 1}, {"10.20.30", 10, 20, 30},
                    {"v1.2", 0, 2, 0}};
    for (int i = 0; i < 7; ++i) {
        const VersionEntry& e = s->versions[i];
        EXPECT_STREQ(e.name, expected[i].name);
        EXPECT_EQ(e.major, expected[i].major) << e.name;
        EXPECT_EQ(e.minor, expected[i].minor) << e.name;
        EXPECT_EQ(e.patch, expected[i].patch) << e.name;
        EXPECT_EQ(e.packed, expected[i].major * 65536 + expected[i].minor * 256 +
                                expected[i].patch)
            << e.name;
    }
    EXPECT_EQ(s->versions[0].packed, 1 * 65536 + 2 * 256 + 5);
}

TEST_F(ScannerFiles, CatalogueEmptyMissingAndTooLongNames)
{
    auto s = NewSession();
    s->versionCount = 5;
    EXPECT_EQ(ParseCatalogueFile(Write("empty.cvd", "").c_str(), *s), kCatalogueOk);
    EXPECT_EQ(s->versionCount, 0);
    EXPECT_EQ(ParseCatalogueFile(Write("comments.cvd", "// none yet\n12 #x#\n").c_str(), *s),
              kCatalogueOk);
    EXPECT_EQ(s->versionCount, 0);

    s->versionCount = 5;
    EXPECT_EQ(ParseCatalogueFile((dir + "/missing.cvd").c_str(), *s), kCatalogueUnreadable);
    EXPECT_EQ(s->versionCount, 0);

    // Nine characters do not fit the directory name: the whole catalogue is refused.
    EXPECT_EQ(ParseCatalogueFile(Write("long.cvd", "\"1.0.1\" \"1.02.0555\"").c_str(), *s),
              kCatalogueUnreadable);
    EXPECT_EQ(s->versionCount, 0);
    EXPECT_EQ(ParseCatalogueFile(Write("huge.cvd", "\"" + std::string(200, '1') + "\"").c_str(),
                                 *s),
              kCatalogueUnreadable);
    EXPECT_EQ(s->versionCount, 0);
}

TEST_F(ScannerFiles, CatalogueSizeLimit)
{
    auto s = NewSession();
    std::string text;
    for (int i = 0; i < 999; ++i)
        text += "\"" + std::to_string(i / 256) + "." + std::to_string(i % 256) + "\"\n";
    ASSERT_EQ(ParseCatalogueFile(Write("999.cvd", text).c_str(), *s), kCatalogueOk);
    ASSERT_EQ(s->versionCount, 999);
    EXPECT_STREQ(s->versions[998].name, "3.230");
    EXPECT_EQ(s->versions[998].packed, 3 * 65536 + 230 * 256);

    text += "\"9.9.9\"\n";
    EXPECT_EQ(ParseCatalogueFile(Write("1000.cvd", text).c_str(), *s), kCatalogueTooMany);
    EXPECT_EQ(s->versionCount, 0);
}

TEST_F(ScannerFiles, CountListFiles)
{
    std::string path = Write("list.inf",
                             "#COMPRESSED#\n"
                             "// files of the game directory\n"
                             "\"read me.txt\"\n"
                             "main.exe\n"
                             "1 \"Data\"\n"
                             "\"Sub file.bmd\"\n"
                             "2 \"Data\\Sub\"\n"
                             "x.dat , y.dat;\n"
                             "3 \"\"\n"
                             "\"z.txt\"\n"
                             "4 Music\n"
                             "\"\xb0\xa1.wav\" { } 5");
    EXPECT_EQ(CountListFiles(path.c_str()), 7);
    EXPECT_EQ(CountListFiles(Write("empty.inf", "").c_str()), 0);
    EXPECT_EQ(CountListFiles(Write("tail.inf", "a 5 ").c_str()), 1);
    // The directory after a number may be any token, even a tag.
    EXPECT_EQ(CountListFiles(Write("tagdir.inf", "1 #x# a").c_str()), 1);
    EXPECT_EQ(CountListFiles((dir + "/missing.inf").c_str()), -1);
}

TEST_F(ScannerFiles, ListTags)
{
    std::string path = Write("list.inf", "a.txt\n1 \"Data\"\n#TEST_SERVER#\nb.txt\n");
    EXPECT_EQ(ListHasTag(path.c_str(), kTagTestServer), 1);
    EXPECT_EQ(ListHasTag(path.c_str(), kTagCompressed), 0);

    EXPECT_EQ(ListHasTag(Write("lower.inf", "#compressed#").c_str(), kTagCompressed), 0);
    EXPECT_EQ(ListHasTag(Write("blank.inf", "#COMPRESSED #").c_str(), kTagCompressed), 0);
    EXPECT_EQ(ListHasTag(Write("quoted.inf", "\"#COMPRESSED#\"").c_str(), kTagCompressed), 0);
    EXPECT_EQ(ListHasTag(Write("comment.inf", "// #COMPRESSED#\n").c_str(), kTagCompressed), 0);
    EXPECT_EQ(ListHasTag(Write("open.inf", "a #COMPRESSED").c_str(), kTagCompressed), 1);
    EXPECT_EQ(ListHasTag((dir + "/missing.inf").c_str(), kTagCompressed), -1);
}

// Random files, some of plain noise and some built from the characters the scanner
// treats specially: every one scans to its end, each token consuming at least one
// byte, and the readers built on the scanner keep their limits.
TEST_F(ScannerFiles, RandomFilesScanToTheEnd)
{
    std::mt19937 random(20240611u);
    const std::string special = "//\"\"##,;{}_-.09azAZ \t\r\n\x80\xff";
    auto s = NewSession();
    size_t totalBytes = 0;
    for (int file = 0; file < 160; ++file) {
        size_t size = random() % 4096;
        std::string bytes(size, '\0');
        bool noise = (file % 2) == 0;
        for (char& b : bytes) {
            b = noise ? static_cast<char>(random() & 0xFF)
                      : special[random() % special.size()];
        }
        if (file % 16 == 1)
            bytes += std::string(300, 'q');     // a long token at the end
        totalBytes += bytes.size();
        std::string path = Write("random.bin", bytes);

        ListScanner scanner;
        ASSERT_EQ(scanner.Open(path.c_str()), 1);
        size_t tokens = 0;
        while (scanner.ScanToken() != kTokenEnd) {
            ++tokens;
            ASSERT_LE(tokens, bytes.size()) << "file " << file;
            ASSERT_LT(strlen(scanner.tokenText), static_cast<size_t>(kTokenTextSize));
            ASSERT_LT(strlen(scanner.numberText), static_cast<size_t>(kTokenTextSize));
        }
        EXPECT_EQ(scanner.ScanToken(), kTokenEnd);
        scanner.Close();

        int count = CountListFiles(path.c_str());
        EXPECT_GE(count, 0);
        EXPECT_LE(static_cast<size_t>(count), tokens);
        EXPECT_NE(ListHasTag(path.c_str(), kTagCompressed), -1);
        int result = ParseCatalogueFile(path.c_str(), *s);
        EXPECT_TRUE(result == kCatalogueOk || result == kCatalogueUnreadable ||
                    result == kCatalogueTooMany);
        EXPECT_LE(s->versionCount, kMaxVersions - 1);
        if (result != kCatalogueOk) {
            EXPECT_EQ(s->versionCount, 0);
        }
        for (int i = 0; i < s->versionCount; ++i)
            EXPECT_LE(strlen(s->versions[i].name), static_cast<size_t>(kMaxVersionNameLength));
    }
    EXPECT_GT(totalBytes, 300000u);
}
