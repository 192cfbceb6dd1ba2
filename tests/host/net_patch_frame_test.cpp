// The patch-server frame encoder against the launcher's decoder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "net/FrameFormat.h"
#include "net/PatchServerFrame.h"

TEST(PatchServerFrameEncoder, DecodesToWhatWasEncodedForEveryOp)
{
    PatchServerAddress sent = {};
    snprintf(sent.host, sizeof sent.host, "%s", std::string(100, 'h').c_str());
    sent.port = 0xBEEF;
    snprintf(sent.user, sizeof sent.user, "user");
    snprintf(sent.password, sizeof sent.password, "%s", std::string(19, 'p').c_str());
    snprintf(sent.catalogue, sizeof sent.catalogue, "version.cvd");
    for (int op : {kOpPatchServer, kOpPatchServerRelease, kOpPatchServerLocal}) {
        unsigned char frame[kPatchFrameSize];
        memset(frame, 0xEE, sizeof frame);
        ASSERT_EQ(EncodePatchServerFrame(op, sent, frame), 168);
        EXPECT_EQ(frame[0], kFrameLong);
        EXPECT_EQ(FrameOpCode(frame), op);
        EXPECT_EQ(frame[1] << 8 | frame[2], 168);

        PatchServerAddress got;
        ASSERT_EQ(DecodePatchServerFrame(frame, kPatchFrameSize, op, got), 1);
        // A text that fills its whole field keeps width - 1 bytes and a NUL.
        EXPECT_EQ(std::string(got.host), std::string(99, 'h')) << op;
        EXPECT_EQ(got.port, 0xBEEF);
        EXPECT_STREQ(got.user, "user");
        EXPECT_EQ(std::string(got.password), std::string(19, 'p'));
        EXPECT_STREQ(got.catalogue, "version.cvd");
        // Op 1 leaves byte 5's neighbour, byte 4, as padding; the others byte 5.
        EXPECT_EQ(frame[op == kOpPatchServer ? 105 : 4], 0);
    }
}
