// Command line, version texts and message catalogue: the portable start-up pieces.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/LaunchOptions.h"
#include "app/Msg.h"
#include "app/VersionTriple.h"

namespace {

LaunchOptions Parse(const char* line)
{
    LaunchOptions o;
    ParseCommandLine(o, line);
    return o;
}

void ExpectVersion(const VersionTriple& v, int major, int minor, int patch)
{
    EXPECT_EQ(v.major, major);
    EXPECT_EQ(v.minor, minor);
    EXPECT_EQ(v.patch, patch);
}

} // namespace

TEST(CommandLine, SwitchesAndTheirOrder)
{
    EXPECT_EQ(Parse("").runMode, 0);
    EXPECT_STREQ(Parse("").passArgs, "");
    EXPECT_EQ(Parse("/t").runMode, 2);
    EXPECT_STREQ(Parse("/t").passArgs, "/t");
    EXPECT_EQ(Parse("/t /r").runMode, 1);
    EXPECT_EQ(Parse("/r /t").runMode, 2);
    EXPECT_EQ(Parse("/T").runMode, 0);
    EXPECT_EQ(Parse("/R /Tx t/").runMode, 0);
    EXPECT_STREQ(Parse("/t   \t ").passArgs, "/t");
    EXPECT_STREQ(Parse("  a\tb\r\nc ").passArgs, "a b c");
}

TEST(CommandLine, LocalVersionToken)
{
    LaunchOptions o = Parse("/l 1.2.3");
    EXPECT_EQ(o.runMode, 4);
    ExpectVersion(o.cmdLineVersion, 1, 2, 3);
    EXPECT_STREQ(o.passArgs, "/l 1.2.3");

    ExpectVersion(Parse("/l 7").cmdLineVersion, 7, 0, 0);
    ExpectVersion(Parse("/l 1.2.3.4").cmdLineVersion, 1, 2, 3);
    ExpectVersion(Parse("/l 300.1.1").cmdLineVersion, 44, 1, 1);
    o = Parse("/l x.y.z");
    ExpectVersion(o.cmdLineVersion, 0, 0, 0);
    EXPECT_EQ(o.runMode, 4);
    o = Parse("/l");
    ExpectVersion(o.cmdLineVersion, 0, 0, 0);
    EXPECT_EQ(o.runMode, 4);
    // The version token is an ordinary token afterwards: a switch there still counts.
    EXPECT_EQ(Parse("/l /t").runMode, 2);
    ExpectVersion(Parse("/l 1..2").cmdLineVersion, 1, 2, 0);
}

TEST(CommandLine, PassArgsCutAndHugeInput)
{
    EXPECT_STREQ(Parse("/l 1.2.3 abcdefgh").passArgs, "/l 1.2.3 abcdef");
    EXPECT_EQ(strlen(Parse("0123456789abcdefXYZ").passArgs), 15u);

    std::string huge;
    for (int i = 0; i < 20000; ++i)
        huge += "/r ";
    huge += std::string(50000, 'x') + " /t";
    LaunchOptions o = Parse(huge.c_str());
    EXPECT_EQ(o.runMode, 2);
    EXPECT_EQ(strlen(o.passArgs), 15u);
    // 40,000 nines are 10^40000 - 1, which is -1 modulo 256: the low byte is 255.
    ExpectVersion(Parse(("/l " + std::string(40000, '9')).c_str()).cmdLineVersion, 255, 0, 0);

    char host[80];
    memset(host, 'h', sizeof(host) - 1);
    host[79] = 0;
    SetConnectServer(o, host, 44405);
    EXPECT_EQ(strlen(o.connectHost), 49u);
    EXPECT_EQ(o.connectPort, 44405);
}

TEST(VersionText, ParsingAndForms)
{
    ExpectVersion(ParseVersionText("1.02.05"), 1, 2, 5);
    ExpectVersion(ParseVersionText("1.2"), 1, 2, 0);
    ExpectVersion(ParseVersionText("1..2"), 1, 2, 0);
    ExpectVersion(ParseVersionText("300.1.1"), 44, 1, 1);
    ExpectVersion(ParseVersionText("100.100.1"), 100, 100, 1);
    ExpectVersion(ParseVersionText(""), 0, 0, 0);
    ExpectVersion(ParseVersionText("...."), 0, 0, 0);
    ExpectVersion(ParseVersionText("-1.2a.b"), 255, 2, 0);
    EXPECT_EQ(PackVersion({1, 2, 5}), 1 * 65536 + 2 * 256 + 5);
    char text[16];
    FormatVersionStored({1, 2, 5}, text, sizeof(text));
    EXPECT_STREQ(text, "1.02.05");
    FormatVersionPlain({1, 2, 5}, text, sizeof(text));
    EXPECT_STREQ(text, "1.2.5");
    FormatVersionStored({255, 255, 255}, text, sizeof(text));
    EXPECT_STREQ(text, "255.255.255");
}

TEST(MessageCatalogue, FormatAndDamagedInput)
{
    CMsg msg;
    EXPECT_STREQ(msg.Get(102), "");
    msg.LoadCTF("/nonexistent/message.ctf");
    EXPECT_STREQ(msg.Get(102), "");

    msg.LoadText("\xEF\xBB\xBF# comment\r\n\r\n102 Connecting\\n now\r\n"
                 "143\tError %d\nx12 skipped\n12\n99999999999 too big\n"
                 "13 a\\\\b\\q\n107 first\n107 second");
    EXPECT_STREQ(msg.Get(102), "Connecting\n now");
    EXPECT_STREQ(msg.Get(143), "Error %d");
    EXPECT_STREQ(msg.Get(12), "");
    EXPECT_STREQ(msg.Get(13), "a\\b\\q");
    EXPECT_STREQ(msg.Get(107), "second");
    EXPECT_STREQ(msg.Get(-1), "");
    EXPECT_EQ(msg.Count(), 5u);

    CMsg bad;
    std::string garbage;
    for (int i = 0; i < 70000; ++i)
        garbage += static_cast<char>((i * 7919) & 0xFF);
    bad.LoadText(garbage);
    // A NUL inside line 3 ends that text but not the catalogue.
    const char nulLine[] = "\n3 x\0y\n4 \xED\xA0\x80";
    bad.LoadText("1 \xC3\x28ok\xE2\x82\n2 " + std::string(5000, 'a') + std::string(nulLine, sizeof(nulLine) - 1));
    EXPECT_STREQ(bad.Get(1), "?(ok??");
    EXPECT_EQ(strlen(bad.Get(2)), static_cast<size_t>(CMsg::kMaxTextBytes));
    EXPECT_STREQ(bad.Get(3), "x");
    EXPECT_STREQ(bad.Get(4), "???");
    // Cutting never splits a multi-byte character.
    CMsg cut;
    cut.LoadText("5 " + std::string(1022, 'a') + "\xEA\xB0\x80");
    EXPECT_EQ(strlen(cut.Get(5)), 1022u);
}
