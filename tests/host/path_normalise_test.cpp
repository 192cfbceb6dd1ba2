// Names of "list.inf" that Windows accepts are normalised the way Windows opens them,
// and everything the path check refuses for safety is still refused afterwards.
#include <gtest/gtest.h>

#include <string>

#include "patch/InstallName.h"
#include "patch/ListCheck.h"
#include "patch/PathNormalise.h"

namespace {

std::string Normalised(const char* path)
{
    char out[kListPathBytes];
    EXPECT_EQ(NormaliseListPath(path, out, sizeof out), 1) << path;
    return out;
}

TEST(PathNormalise, RewritesAsWindowsOpens)
{
    EXPECT_EQ(Normalised("data\\"), "data");
    EXPECT_EQ(Normalised("data\\\\maps"), "data\\maps");
    EXPECT_EQ(Normalised("data//maps/"), "data/maps");
    EXPECT_EQ(Normalised("data.\\maps. .\\a.txt."), "data\\maps\\a.txt");
    EXPECT_EQ(Normalised("zr.exe. "), "zr.exe");
    EXPECT_EQ(Normalised(" lead\\a b"), " lead\\a b");  // leading and inner blanks stay
    EXPECT_EQ(Normalised(""), "");
    // Left for the check to refuse: a leading separator, dot-only components.
    EXPECT_EQ(Normalised("\\a."), "\\a.");
    EXPECT_EQ(Normalised("a\\..\\\\b."), "a\\..\\b");
    EXPECT_EQ(Normalised("a\\. .\\b"), "a\\. .\\b");

    char small[4];
    EXPECT_EQ(NormaliseListPath("abcd", small, sizeof small), 0);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(NormaliseListPath(nullptr, small, sizeof small), 0);
}

TEST(PathNormalise, ListTextsUseTheNormalisedPath)
{
    char dir[kListPathBytes];
    ASSERT_EQ(ListDirectory("data\\", dir, sizeof dir), 1);
    EXPECT_STREQ(dir, "data");
    ASSERT_EQ(ListDirectory("data\\\\maps.", dir, sizeof dir), 1);
    EXPECT_STREQ(dir, "data\\maps");
    ASSERT_EQ(ListDirectory("", dir, sizeof dir), 1);
    EXPECT_STREQ(dir, "");

    char path[kListPathBytes];
    ASSERT_EQ(BuildListPath("data\\maps", "b.txt. ", path, sizeof path), 1);
    EXPECT_STREQ(path, "data\\maps\\b.txt");
    EXPECT_EQ(CheckListEntry("data", "b.txt.", 0), 1);
    EXPECT_EQ(CheckListEntry("", "a.txt.bz2.", 1), 1);

    // The launcher's own file with a trailing dot is the launcher's file.
    ASSERT_EQ(BuildListPath("", "zr.exe.", path, sizeof path), 1);
    char target[kListPathBytes];
    int self = 0;
    ASSERT_EQ(BuildInstallTarget(path, target, sizeof target, &self), 1);
    EXPECT_STREQ(target, "zr._xe");
    EXPECT_EQ(self, 1);
}

TEST(PathNormalise, WhatIsUnsafeStaysRefused)
{
    const char* const unsafe[] = {"..", "..\\a", "a\\..\\b", "a/../b", "a\\..", ".", "a\\.\\b",
                                  "...", ". .", "a\\.. \\b", "\\a", "/a", "\\\\server\\share\\a",
                                  "\\\\?\\C:\\a", "C:\\a", "C:a", "a.txt:s", "nul", "nul.",
                                  "nul.txt", "con ", "Com1 .log", "lpt3\\", "a|b", "a\x01"};
    char dir[kListPathBytes];
    for (const char* text : unsafe) {
        EXPECT_EQ(ListDirectory(text, dir, sizeof dir), 0) << text;
        EXPECT_EQ(CheckListEntry("", text, 0), 0) << text;
        EXPECT_EQ(CheckListEntry("data", text, 0), 0) << text;
    }
    // A file name must name a file below its directory.
    for (const char* name : {"", "\\a.txt", "/a.txt", "a.txt\\", "sub/"})
        EXPECT_EQ(CheckListEntry("data", name, 0), 0) << name;
    // The stem of a compressed name is checked as it is cut: "a." stays refused.
    EXPECT_EQ(CheckListEntry("", "a..bz2", 1), 0);
}

} // namespace
