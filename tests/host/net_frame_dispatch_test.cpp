// Replies of the connect server, the version request and the account descrambling.
#include <gtest/gtest.h>

#include <memory>

#include "app/LaunchOptions.h"
#include "net/FrameDispatch.h"
#include "net/PatchServerFrame.h"
#include "net/VersionRequest.h"
#include "net_frames_test.h"

using namespace nettest;

namespace {

class FrameDispatchTest : public ::testing::Test {
protected:
    std::unique_ptr<FrameReceiver> r = std::make_unique<FrameReceiver>();
    RecordingHandler handler;
    LaunchOptions options;

    std::vector<std::string> Dispatch(const Bytes& stream)
    {
        handler.calls.clear();
        EXPECT_TRUE(Receive(*r, stream));
        DispatchFrames(*r, handler, options);
        EXPECT_EQ(0, r->PendingFrames());
        return handler.calls;
    }
};

const Account kAccount = {"ftp.example.test", "patcher", "s3cret", "version.cvd", 2121};
const char kAccountCall[] = "patch ftp.example.test 2121 patcher s3cret version.cvd";

TEST(VersionRequestTest, OpCodeFollowsTheRunMode)
{
    const struct {
        int runMode;
        unsigned char op;
    } cases[] = {{kRunNormal, 0x05}, {kRunRelease, 0x05}, {kRunTest, 0x06}, {kRunLocal, 0x07},
                 {3, 0x05}};
    for (const auto& c : cases) {
        unsigned char out[kVersionRequestSize] = {};
        EXPECT_EQ(6, BuildVersionRequest(c.runMode, VersionTriple{1, 2, 3}, out));
        const unsigned char expected[6] = {0xC1, 0x06, c.op, 0x01, 0x02, 0x03};
        EXPECT_EQ(0, memcmp(expected, out, 6)) << "runMode " << c.runMode;
    }
    unsigned char out[kVersionRequestSize] = {};
    BuildVersionRequest(kRunNormal, VersionTriple{255, 0, 128}, out);
    EXPECT_EQ(255, out[3]);
    EXPECT_EQ(0, out[4]);
    EXPECT_EQ(128, out[5]);
}

TEST(DescrambleTest, KeyRestartsPerCallAndTwiceIsIdentity)
{
    unsigned char field[7] = {0, 0, 0, 0, 0, 0, 0};
    Descramble(field, 7);
    const unsigned char key[7] = {0x5A, 0x3C, 0x96, 0x5A, 0x3C, 0x96, 0x5A};
    EXPECT_EQ(0, memcmp(key, field, 7));

    Bytes original(256);
    for (int i = 0; i < 256; ++i)
        original[i] = static_cast<unsigned char>(i);
    Bytes bytes = original;
    Descramble(bytes.data(), 256);
    EXPECT_NE(original, bytes);
    Descramble(bytes.data(), 256);
    EXPECT_EQ(original, bytes);
    Descramble(bytes.data(), 0);
    EXPECT_EQ(original, bytes);
}

TEST_F(FrameDispatchTest, GreetingIsAnsweredOnlyWithByteThreeEqualToOne)
{
    EXPECT_EQ(std::vector<std::string>{"version"}, Dispatch(ShortFrame(0, {0x01})));
    EXPECT_TRUE(Dispatch(ShortFrame(0, {0x02})).empty());
    EXPECT_TRUE(Dispatch(ShortFrame(0, {0x00, 0x01})).empty());
    // Without a byte 3 there is nothing to compare.
    EXPECT_TRUE(Dispatch(ShortFrame(0)).empty());
    // A long frame carries its op code at byte 3, so a long greeting is never answered.
    EXPECT_TRUE(Dispatch(LongFrame(0, {0x01, 0x01})).empty());
    EXPECT_TRUE(Dispatch(LongFrame(0)).empty());
}

TEST_F(FrameDispatchTest, UpToDateAndIgnoredOpCodes)
{
    EXPECT_EQ(std::vector<std::string>{"ready"}, Dispatch(ShortFrame(2)));
    EXPECT_EQ(std::vector<std::string>{"ready"}, Dispatch(LongFrame(2, {1, 2})));
    for (int op : {3, 4, 6, 8, 0x80, 0xFF}) {
        EXPECT_TRUE(Dispatch(ShortFrame(op, Bytes(200, 0x01))).empty()) << "op " << op;
        EXPECT_TRUE(Dispatch(LongFrame(op, Bytes(200, 0x01))).empty()) << "op " << op;
    }
}

TEST_F(FrameDispatchTest, FramesAreHandledInArrivalOrder)
{
    std::vector<std::string> calls =
        Dispatch(Join({ShortFrame(0, {1}), ShortFrame(2), PatchFrame(7, kAccount), ShortFrame(2)}));
    std::vector<std::string> expected = {"version", "ready", kAccountCall, "ready"};
    EXPECT_EQ(expected, calls);
}

TEST_F(FrameDispatchTest, PatchServerFieldsDecodedForEveryOpAndFormat)
{
    for (int op : {1, 5, 7}) {
        for (bool longFormat : {false, true}) {
            std::vector<std::string> calls = Dispatch(PatchFrame(op, kAccount, longFormat, longFormat ? 400 : 255));
            EXPECT_EQ(std::vector<std::string>{kAccountCall}, calls)
                << "op " << op << (longFormat ? " long" : " short");
        }
    }
}

TEST_F(FrameDispatchTest, HostOffsetDependsOnTheOpCode)
{
    // An op-1 frame read with the op-5 layout would lose the first character.
    Bytes frame = PatchFrame(1, kAccount);
    PatchServerAddress address = {};
    ASSERT_EQ(1, DecodePatchServerFrame(frame.data(), static_cast<int>(frame.size()), 1, address));
    EXPECT_STREQ("ftp.example.test", address.host);
    EXPECT_EQ(2121, address.port);
    frame = PatchFrame(5, kAccount);
    ASSERT_EQ(1, DecodePatchServerFrame(frame.data(), static_cast<int>(frame.size()), 5, address));
    EXPECT_STREQ("ftp.example.test", address.host);
    EXPECT_EQ(2121, address.port);
    EXPECT_STREQ("patcher", address.user);
    EXPECT_STREQ("s3cret", address.password);
    EXPECT_STREQ("version.cvd", address.catalogue);
    // The frame itself is left scrambled.
    Bytes again = PatchFrame(5, kAccount);
    EXPECT_EQ(again, frame);
}

TEST_F(FrameDispatchTest, PortIsLittleEndian)
{
    Account a = kAccount;
    a.port = 0xABCD;
    Bytes frame = PatchFrame(7, a);
    EXPECT_EQ(0xCD, frame[106]);
    EXPECT_EQ(std::vector<std::string>{"patch ftp.example.test 43981 patcher s3cret version.cvd"},
              Dispatch(frame));
}

TEST_F(FrameDispatchTest, FieldsThatFillTheirWidthAreCutAtTheWidth)
{
    Account a = {std::string(100, 'h'), std::string(20, 'u'), std::string(20, 'p'),
                 std::string(25, 'c'), 21};
    std::string expected = "patch " + std::string(100, 'h') + " 21 " + std::string(20, 'u') +
                           " " + std::string(20, 'p') + " " + std::string(20, 'c');
    for (int op : {1, 5})
        EXPECT_EQ(std::vector<std::string>{expected}, Dispatch(PatchFrame(op, a))) << "op " << op;
}

TEST_F(FrameDispatchTest, ShortPatchServerFramesAreDropped)
{
    options.runMode = kRunLocal;
    for (int op : {1, 5, 7}) {
        Bytes frame = PatchFrame(op, kAccount);
        frame.resize(167);
        frame[1] = 167;
        EXPECT_TRUE(Dispatch(frame).empty()) << "op " << op;
        EXPECT_TRUE(Dispatch(ShortFrame(op)).empty()) << "op " << op;
    }
    // Not even the run mode changes for a dropped frame.
    EXPECT_EQ(kRunLocal, options.runMode);
    Bytes exact = PatchFrame(5, kAccount, true, 168);
    EXPECT_EQ(std::vector<std::string>{kAccountCall}, Dispatch(exact));
}

TEST_F(FrameDispatchTest, OpFiveLeavesLocalModeOpSevenKeepsIt)
{
    options.runMode = kRunLocal;
    Dispatch(PatchFrame(7, kAccount));
    EXPECT_EQ(kRunLocal, options.runMode);
    Dispatch(PatchFrame(1, kAccount));
    EXPECT_EQ(kRunLocal, options.runMode);
    Dispatch(PatchFrame(5, kAccount));
    EXPECT_EQ(kRunRelease, options.runMode);
    for (int mode : {kRunNormal, kRunTest}) {
        options.runMode = mode;
        Dispatch(PatchFrame(5, kAccount));
        EXPECT_EQ(mode, options.runMode);
    }
}

// A handler whose BeginPatch receives more frames while it runs, as the dialog does
// when it pumps messages in the middle of a patch.
class PumpingHandler : public RecordingHandler {
public:
    FrameReceiver* receiver = nullptr;
    LaunchOptions* options = nullptr;
    Bytes arriving;
    int runModeSeen = -1;

    int BeginPatch(const char* host, unsigned short port, const char* user,
                   const char* password, const char* catalogue) override
    {
        runModeSeen = options->runMode;
        if (!arriving.empty()) {
            Bytes more;
            more.swap(arriving);
            EXPECT_TRUE(Receive(*receiver, more));
            DispatchFrames(*receiver, *this, *options);
        }
        return RecordingHandler::BeginPatch(host, port, user, password, catalogue);
    }
};

TEST_F(FrameDispatchTest, StringsStayValidWhileNewFramesArriveDuringAPatch)
{
    PumpingHandler pumping;
    pumping.receiver = r.get();
    pumping.options = &options;
    options.runMode = kRunLocal;
    Account other = {"other.host", "u2", "p2", "c2", 99};
    // The new frames land in the slot the first frame was popped from.
    pumping.arriving = Join({PatchFrame(7, other), ShortFrame(2)});
    ASSERT_TRUE(Receive(*r, PatchFrame(5, kAccount)));
    DispatchFrames(*r, pumping, options);
    EXPECT_EQ(kRunRelease, pumping.runModeSeen);
    std::vector<std::string> expected = {"patch other.host 99 u2 p2 c2", "ready", kAccountCall};
    EXPECT_EQ(expected, pumping.calls);
}

TEST_F(FrameDispatchTest, PushedFramesShorterThanTheirHeaderAreIgnored)
{
    // Leave op code 2 behind in the first two slots, where a short frame would find it.
    const unsigned char readyShort[4] = {0xC1, 0x04, 0x02, 0x02};
    const unsigned char readyLong[5] = {0xC2, 0x00, 0x05, 0x02, 0x02};
    ASSERT_EQ(kPushStored, r->PushFrame(readyShort, 4));
    ASSERT_EQ(kPushStored, r->PushFrame(readyLong, 5));
    EXPECT_EQ(2, DispatchFrames(*r, handler, options));
    EXPECT_EQ(2u, handler.calls.size());
    handler.calls.clear();

    const unsigned char tooShort[2] = {0xC1, 0x02};
    ASSERT_EQ(kPushStored, r->PushFrame(tooShort, 2));
    const unsigned char longTooShort[3] = {0xC2, 0x00, 0x03};
    ASSERT_EQ(kPushStored, r->PushFrame(longTooShort, 3));
    EXPECT_EQ(2, DispatchFrames(*r, handler, options));
    EXPECT_TRUE(handler.calls.empty());
}

}  // namespace
