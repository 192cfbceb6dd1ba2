// Frames of the connect server: greeting, "up to date", the scrambled patch-server
// reply, and the byte-by-byte check of the version request.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "net/AccountScramble.h"
#include "tools/connect_server/ReplyFrames.h"
#include "tools/connect_server/VersionRequest.h"

namespace {

std::string FieldText(const uint8_t* frame, int offset, int width)
{
    uint8_t copy[100];
    memcpy(copy, frame + offset, width);
    Scramble(copy, width);
    return std::string(reinterpret_cast<char*>(copy), strnlen(reinterpret_cast<char*>(copy), width));
}

PatchServerEntry Server()
{
    PatchServerEntry server;
    server.host = std::string(99, 'h');
    server.port = 0xBEEF;
    server.user = "user";
    server.password = std::string(19, 'p');
    server.catalogue = "version.cvd";
    return server;
}

} // namespace

TEST(ReplyFrames, GreetingAndUpToDate)
{
    uint8_t greeting[kGreetingSize];
    BuildGreeting(greeting);
    EXPECT_EQ(0, memcmp(greeting, "\xC1\x04\x00\x01", 4));
    uint8_t current[kUpToDateSize];
    BuildUpToDate(current);
    EXPECT_EQ(0, memcmp(current, "\xC1\x03\x02", 3));
}

TEST(ReplyFrames, PatchReplyLayoutForEachOp)
{
    for (int op : {1, 5, 7}) {
        uint8_t frame[kPatchReplySize];
        BuildPatchReply(op, Server(), frame);
        EXPECT_EQ(0xC2, frame[0]);
        EXPECT_EQ(168, frame[1] << 8 | frame[2]);
        EXPECT_EQ(op, frame[3]);
        int host = (op == 1) ? 5 : 6;
        EXPECT_EQ(std::string(99, 'h'), FieldText(frame, host, 100)) << op;
        EXPECT_EQ(0xEF, frame[106]);   // little-endian and not scrambled
        EXPECT_EQ(0xBE, frame[107]);
        EXPECT_EQ("user", FieldText(frame, 108, 20));
        EXPECT_EQ(std::string(19, 'p'), FieldText(frame, 128, 20));
        EXPECT_EQ("version.cvd", FieldText(frame, 148, 20));
    }
}

TEST(ReplyFrames, PaddingIsScrambledNulsWithTheKeyRestartingPerField)
{
    uint8_t frame[kPatchReplySize];
    PatchServerEntry server = Server();
    server.user = "";
    BuildPatchReply(5, server, frame);
    const uint8_t key[3] = {0x5A, 0x3C, 0x96};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(key[i % 3], frame[108 + i]) << i;
    // "v" of the catalogue sits at the start of its field, scrambled with key byte 0.
    EXPECT_EQ('v' ^ 0x5A, frame[148]);
}

TEST(ReplyFrames, ScramblingTwiceRestores)
{
    uint8_t bytes[7] = {0, 1, 2, 0xFF, 0x5A, 0x3C, 0x96};
    uint8_t copy[7];
    memcpy(copy, bytes, sizeof(bytes));
    Scramble(copy, sizeof(copy));
    EXPECT_NE(0, memcmp(copy, bytes, sizeof(bytes)));
    Scramble(copy, sizeof(copy));
    EXPECT_EQ(0, memcmp(copy, bytes, sizeof(bytes)));
}

TEST(VersionRequest, CompleteInOneOrManyPieces)
{
    const uint8_t request[6] = {0xC1, 0x06, 0x07, 1, 2, 3};
    VersionRequest whole;
    EXPECT_EQ(kRequestComplete, whole.Feed(request, 6));
    EXPECT_EQ(7, whole.Op());
    EXPECT_EQ(1, whole.Version().major);
    EXPECT_EQ(3, whole.Version().patch);

    VersionRequest pieces;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(kRequestIncomplete, pieces.Feed(request + i, 1));
    EXPECT_EQ(kRequestComplete, pieces.Feed(request + 5, 1));
    EXPECT_EQ(2, pieces.Version().minor);

    // Bytes after a complete request are not looked at.
    VersionRequest trailing;
    const uint8_t more[8] = {0xC1, 0x06, 0x05, 9, 9, 9, 0x00, 0x00};
    EXPECT_EQ(kRequestComplete, trailing.Feed(more, 8));
}

TEST(VersionRequest, WrongByteIsRejectedWhereItStands)
{
    struct Case {
        uint8_t bytes[3];
        size_t length;
        const char* problem;
    } cases[] = {
        {{0x41}, 1, "bad frame (byte 0 is 0x41)"},
        {{0xC1, 0x04}, 2, "bad frame (byte 1 is 0x04)"},
        {{0xC1, 0x06, 0x08}, 3, "bad frame (byte 2 is 0x08)"},
        {{0xC1, 0x06, 0x02}, 3, "bad frame (byte 2 is 0x02)"},
    };
    for (const Case& c : cases) {
        VersionRequest request;
        EXPECT_EQ(kRequestBad, request.Feed(c.bytes, c.length));
        EXPECT_STREQ(c.problem, request.Problem());
        // Once bad, it stays bad.
        const uint8_t good[6] = {0xC1, 0x06, 0x05, 1, 0, 0};
        EXPECT_EQ(kRequestBad, request.Feed(good, 6));
    }
}
