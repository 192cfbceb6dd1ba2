// The listing lookup prefers the list's exact spelling over another letter case.
#include <gtest/gtest.h>

#include <cstdio>

#include "patch/RemoteFileLookup.h"

namespace {

TEST(RemoteFileLookup, ExactSpellingFirstThenAnyLetterCase)
{
    RemoteFileEntry entries[4] = {};
    const char* const names[] = {"A.dat", "a.dat", "Readme.TXT", "hidden.bin"};
    for (int i = 0; i < 4; ++i) {
        snprintf(entries[i].name, sizeof entries[i].name, "%s", names[i]);
        entries[i].size = i + 1;
    }

    EXPECT_EQ(FindListedFile(entries, 3, "a.dat"), &entries[1]);
    EXPECT_EQ(FindListedFile(entries, 3, "A.dat"), &entries[0]);
    // No exact spelling: the first entry in any letter case.
    EXPECT_EQ(FindListedFile(entries, 3, "A.DAT"), &entries[0]);
    EXPECT_EQ(FindListedFile(entries, 3, "readme.txt"), &entries[2]);
    // Only the first count entries are searched; no prefix matches.
    EXPECT_EQ(FindListedFile(entries, 3, "hidden.bin"), nullptr);
    EXPECT_EQ(FindListedFile(entries, 1, "a.dat"), &entries[0]);
    EXPECT_EQ(FindListedFile(entries, 3, "a.da"), nullptr);
    EXPECT_EQ(FindListedFile(entries, 3, "a.data"), nullptr);
    EXPECT_EQ(FindListedFile(entries, 3, nullptr), nullptr);
}

} // namespace
