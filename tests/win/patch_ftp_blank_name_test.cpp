// Names with blanks: WinINet under Wine cuts a listed name at its first blank, so the
// walk asks the server for the size of such a name when the listing lacks it.
#include "tests/win/patch_ftp_engine.h"

#include <string>

namespace {

using BlankNameTest = FtpEngineTest;

TEST_F(BlankNameTest, NamesWithBlanksArriveFromPlainAndCompressedLists)
{
    server->Put("version.cvd", "\"1.00.01\" \"1.00.02\"");
    server->Put("1.00.01/list.inf", "\"item list.txt\"\n1 \"data\" \"sound set.wav\" plain.txt\n");
    server->Put("1.00.01/item list.txt", "items");
    server->Put("1.00.01/sound set.wav", std::string(7000, 's'));
    server->Put("1.00.01/plain.txt", "plain");
    // "big" is also a file of its own: the cut listed name must not stand for it.
    server->Put("1.00.02/list.inf", "#COMPRESSED#\n\"big map.dat.bz_\" \"big.bz_\"\n");
    std::string map(50000, 'm');
    server->Put("1.00.02/big map.dat.bz_", Bzip2(map));
    server->Put("1.00.02/big.bz_", Bzip2("small"));

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(LastStatus(), Text(123));
    EXPECT_EQ(dir.Read("item list.txt"), "items");
    EXPECT_EQ(dir.Read("data\\sound set.wav"), std::string(7000, 's'));
    EXPECT_EQ(dir.Read("data\\plain.txt"), "plain");
    EXPECT_EQ(dir.Read("big map.dat"), map);
    EXPECT_EQ(dir.Read("big"), "small");
    EXPECT_EQ(Config("Version"), "1.00.02");
    EXPECT_TRUE(WasFetched("1.00.01/item list.txt"));
    EXPECT_TRUE(WasFetched("1.00.02/big map.dat.bz_"));
}

TEST_F(BlankNameTest, AMissingNameWithABlankFailsTheVersionAndTheSessionStaysUsable)
{
    server->Put("version.cvd", "\"1.00.01\"");
    server->Put("1.00.01/list.inf", "a.txt \"no such.txt\"");
    server->Put("1.00.01/a.txt", "a");

    EXPECT_EQ(Begin(), 1);

    EXPECT_EQ(LastStatus(), Text(138));
    EXPECT_TRUE(LastStatusIsError());
    EXPECT_FALSE(dir.Exists("a.txt"));
    EXPECT_FALSE(dir.Exists("Temp\\no such.txt"));
    EXPECT_EQ(Config("Version"), "<none>");
    // The refused SIZE left the control connection in step: a listing still works.
    ASSERT_NE(session->ftpHandle, nullptr);
    engine->ListRemoteFiles();
    EXPECT_EQ(session->remoteFileCount, 2);  // a.txt and list.inf
}

} // namespace
