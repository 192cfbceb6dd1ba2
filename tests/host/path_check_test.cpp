// The relative-path check that guards every name from the patch server and the log.
#include <gtest/gtest.h>

#include <string>

#include "patch/PathCheck.h"

namespace {

struct PathCase {
    const char* path;
    const char* why;
};

const PathCase kAccepted[] = {
    {"a.txt", "plain file"},
    {"Data\\Sub\\file.bmd", "backslash levels"},
    {"Data/Sub/file.bmd", "slash levels"},
    {"Data/Sub\\file.bmd", "mixed separators"},
    {"read me.txt", "blank inside"},
    {" lead.txt", "leading blank is kept by Windows"},
    {"\xb0\xa1\xb3\xaa.txt", "ANSI bytes above 0x7F"},
    {".hidden", "leading dot"},
    {"...a", "dots before a name"},
    {"a..b", "dots inside a name"},
    {"v1.0\\a-b_c (2).dat", "punctuation that Windows allows"},
    {"CONSOLE", "longer than a device name"},
    {"conx.txt", "device prefix only"},
    {"con_", "device name plus a character"},
    {"CONIN", "CONIN without $"},
    {"com10", "port number of two digits"},
    {"COM", "port name without number"},
    {"lpt.txt", "port name without number, with extension"},
    {"nul_file", "device prefix only"},
    {"x$", "dollar sign"},
    {"Data\\cond\\..x", "name that starts with dots after a directory"},
};

const PathCase kRefused[] = {
    {"", "empty"},
    {"\\a", "absolute with backslash"},
    {"/a", "absolute with slash"},
    {"\\\\server\\share\\a", "UNC"},
    {"//server/share/a", "UNC with slashes"},
    {"\\\\?\\C:\\a", "device namespace"},
    {"\\\\.\\COM1", "device path"},
    {"C:\\a", "drive letter"},
    {"C:a", "drive-relative"},
    {"a:b", "colon"},
    {"file.txt:stream", "alternate data stream"},
    {"file.txt::$DATA", "alternate data stream type"},
    {"..", "parent"},
    {"..\\a", "leading parent"},
    {"a\\..\\b", "inner parent"},
    {"a/../b", "inner parent with slashes"},
    {"a\\..", "trailing parent"},
    {".", "current directory"},
    {"a\\.\\b", "inner current directory"},
    {"...", "dots only"},
    {"a\\....\\b", "inner dots only"},
    {".. ", "parent with trailing blank"},
    {"..\t", "parent with trailing tab"},
    {". .", "dots and blanks"},
    {"  ", "blanks only"},
    {"a..", "trailing dots"},
    {"zr.exe.", "trailing dot aliases another file"},
    {"zr.exe ", "trailing blank aliases another file"},
    {"Data. \\a", "directory with trailing dot and blank"},
    {"a\\\\b", "empty component"},
    {"a//b", "empty component with slashes"},
    {"a\\", "trailing backslash"},
    {"a/", "trailing slash"},
    {"a\x01" "b", "control character"},
    {"a\tb", "tab"},
    {"a\x1f", "unit separator"},
    {"a\nb", "line feed"},
    {"a<b", "less than"},
    {"a>b", "greater than"},
    {"a\"b", "double quote"},
    {"a|b", "pipe"},
    {"a?b", "question mark"},
    {"a*b", "star"},
    {"CON", "console"},
    {"con", "console, lower case"},
    {"Con.txt", "console with extension"},
    {"nul.txt", "null device with extension"},
    {"NUL.tar.gz", "null device with two extensions"},
    {"prn", "printer"},
    {"AUX", "aux"},
    {"dir\\aux.h", "device in the last component"},
    {"Data\\NUL\\x", "device as a directory"},
    {"COM1", "first port"},
    {"com9.log", "last port with extension"},
    {"COM0", "port zero"},
    {"LPT1", "printer port"},
    {"lpt9", "last printer port"},
    {"LPT0", "printer port zero"},
    {"COM\xb9", "port with superscript one"},
    {"lpt\xb2.txt", "printer port with superscript two"},
    {"conin$", "console input"},
    {"CONOUT$.x", "console output with extension"},
    {"nul .txt", "device with blank before the extension"},
    {"con ", "device with trailing blank"},
    {"CON.", "device with trailing dot"},
};

} // namespace

TEST(PathCheck, AcceptsRelativeNames)
{
    for (const PathCase& c : kAccepted)
        EXPECT_EQ(IsSafeRelativePath(c.path), 1) << c.why << ": " << c.path;
}

TEST(PathCheck, RefusesEveryUnsafeForm)
{
    for (const PathCase& c : kRefused)
        EXPECT_EQ(IsSafeRelativePath(c.path), 0) << c.why << ": " << c.path;
    EXPECT_EQ(IsSafeRelativePath(nullptr), 0);
}

TEST(PathCheck, LengthLimit)
{
    std::string longest = std::string(100, 'a') + "\\" + std::string(158, 'b');
    ASSERT_EQ(longest.size(), 259u);
    EXPECT_EQ(IsSafeRelativePath(longest.c_str()), 1);
    std::string tooLong = longest + "c";
    EXPECT_EQ(IsSafeRelativePath(tooLong.c_str()), 0);
    EXPECT_EQ(IsSafeRelativeDirectory(tooLong.c_str()), 0);
}

TEST(PathCheck, DirectoriesAllowTheGameDirectoryItself)
{
    EXPECT_EQ(IsSafeRelativeDirectory(""), 1);
    EXPECT_EQ(IsSafeRelativeDirectory("Data"), 1);
    EXPECT_EQ(IsSafeRelativeDirectory("Data\\Sub"), 1);
    EXPECT_EQ(IsSafeRelativeDirectory(nullptr), 0);
    // Joined to a file name with a separator, a trailing one would leave an empty level.
    EXPECT_EQ(IsSafeRelativeDirectory("Data\\"), 0);
    EXPECT_EQ(IsSafeRelativeDirectory("\\"), 0);
    EXPECT_EQ(IsSafeRelativeDirectory(".."), 0);
    EXPECT_EQ(IsSafeRelativeDirectory("Data\\..\\.."), 0);
    EXPECT_EQ(IsSafeRelativeDirectory("C:"), 0);
    EXPECT_EQ(IsSafeRelativeDirectory("lpt3"), 0);
    for (const PathCase& c : kRefused) {
        if (c.path[0] != '\0') {
            EXPECT_EQ(IsSafeRelativeDirectory(c.path), 0) << c.why << ": " << c.path;
        }
    }
}
