// Cutting the received byte stream into frames, and the pool that holds them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "net_frames_test.h"

using namespace nettest;

namespace {

class FrameReceiverTest : public ::testing::Test {
protected:
    std::unique_ptr<FrameReceiver> r = std::make_unique<FrameReceiver>();
};

TEST_F(FrameReceiverTest, TwoFramesInOneReceiveArePushedInOrder)
{
    Bytes a = ShortFrame(0, {0x01});
    Bytes b = LongFrame(2, {9, 8, 7});
    ASSERT_TRUE(Receive(*r, Join({a, b})));
    EXPECT_EQ(0, r->RecvBufLen());
    std::vector<Bytes> frames = PopAll(*r);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(a, frames[0]);
    EXPECT_EQ(b, frames[1]);
}

TEST_F(FrameReceiverTest, SplitFrameIsPushedOnceWhenComplete)
{
    Bytes f = ShortFrame(7, Bytes(40, 0x33));
    ASSERT_TRUE(Receive(*r, Bytes(f.begin(), f.begin() + 17)));
    EXPECT_EQ(0, r->PendingFrames());
    EXPECT_EQ(17, r->RecvBufLen());
    ASSERT_TRUE(Receive(*r, Bytes(f.begin() + 17, f.end())));
    std::vector<Bytes> frames = PopAll(*r);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(f, frames[0]);
    EXPECT_EQ(0, r->RecvBufLen());
}

TEST_F(FrameReceiverTest, FrameFedOneByteAtATimeIsPushedExactlyOnce)
{
    for (const Bytes& f : {ShortFrame(2, {1, 2, 3, 4}), LongFrame(5, Bytes(300, 0xA5))}) {
        for (size_t i = 0; i < f.size(); ++i) {
            ASSERT_TRUE(Receive(*r, {f[i]}));
            EXPECT_EQ(i + 1 < f.size() ? 0 : 1, r->PendingFrames()) << "after byte " << i;
        }
        std::vector<Bytes> frames = PopAll(*r);
        ASSERT_EQ(1u, frames.size());
        EXPECT_EQ(f, frames[0]);
        EXPECT_EQ(0, r->RecvBufLen());
    }
}

TEST_F(FrameReceiverTest, PartialFrameAfterCompleteOneMovesToTheFront)
{
    Bytes a = ShortFrame(2);
    Bytes b = LongFrame(1, Bytes(200, 0x5C));
    for (size_t partLen : {1u, 2u, 3u, 50u}) {
        Bytes part(b.begin(), b.begin() + static_cast<long>(partLen));
        ASSERT_TRUE(Receive(*r, Join({a, part})));
        ASSERT_EQ(static_cast<int>(partLen), r->RecvBufLen());
        EXPECT_EQ(0, memcmp(r->RecvBuf(), b.data(), partLen));
        ASSERT_TRUE(Receive(*r, Bytes(b.begin() + static_cast<long>(partLen), b.end())));
        std::vector<Bytes> frames = PopAll(*r);
        ASSERT_EQ(2u, frames.size()) << "partial length " << partLen;
        EXPECT_EQ(a, frames[0]);
        EXPECT_EQ(b, frames[1]);
    }
}

TEST_F(FrameReceiverTest, LongFramesUseBigEndianSizes)
{
    Bytes big = LongFrame(3, Bytes(kMaxFrameSize - 4, 0x11));
    ASSERT_EQ(0x10, big[1]);
    ASSERT_EQ(0x00, big[2]);
    ASSERT_TRUE(Receive(*r, Bytes(big.begin(), big.begin() + 1000)));
    ASSERT_TRUE(Receive(*r, Bytes(big.begin() + 1000, big.end())));
    std::vector<Bytes> frames = PopAll(*r);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(big, frames[0]);
    // Smallest long frame: header and op code only.
    ASSERT_TRUE(Receive(*r, {0xC2, 0x00, 0x04, 0x09}));
    frames = PopAll(*r);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(4u, frames[0].size());
}

TEST_F(FrameReceiverTest, BadHeaderOrZeroSizeDiscardsEverythingBuffered)
{
    const Bytes bad[] = {
        {0x00, 0x05, 0x02, 0x00, 0x00},      // header byte of neither format
        {0xC1, 0x00, 0x02},                  // zero size, short
        {0xC2, 0x00, 0x00, 0x02},            // zero size, long
    };
    Bytes good = ShortFrame(2);
    for (const Bytes& b : bad) {
        ASSERT_TRUE(Receive(*r, Join({good, b, good})));
        EXPECT_EQ(0, r->RecvBufLen());
        // The frame before the bad one was already cut; the one after is lost.
        EXPECT_EQ(1u, PopAll(*r).size());
        // The next receive that starts with a frame resynchronises.
        ASSERT_TRUE(Receive(*r, good));
        EXPECT_EQ(1u, PopAll(*r).size());
    }
    // Bad bytes right after a frame completed by a later receive: the frame is kept.
    ASSERT_TRUE(Receive(*r, {0xC1, 0x10, 0x02}));
    EXPECT_EQ(3, r->RecvBufLen());
    ASSERT_TRUE(Receive(*r, Join({Bytes(13, 0), {0x7F, 0x01, 0x02}})));
    EXPECT_EQ(0, r->RecvBufLen());
    EXPECT_EQ(1u, PopAll(*r).size());
}

TEST_F(FrameReceiverTest, FramesShorterThanTheirHeaderAreDropped)
{
    const Bytes shortFrames[] = {
        {0xC1, 0x01, 0xC1, 0x03, 0x02},       // size 1 would read its op code from the next frame
        {0xC1, 0x02, 0x02},
        {0xC2, 0x00, 0x01, 0x02},
        {0xC2, 0x00, 0x03, 0x02},
    };
    for (const Bytes& b : shortFrames) {
        ASSERT_TRUE(Receive(*r, b));
        EXPECT_EQ(0, r->RecvBufLen());
        EXPECT_EQ(0u, PopAll(*r).size());
    }
}

TEST_F(FrameReceiverTest, OversizedFrameDoesNotWedgeTheConnection)
{
    // Declares 5000 bytes: it can never fit the 4096-byte buffer.
    Bytes head = {0xC2, 0x13, 0x88, 0x01};
    ASSERT_TRUE(Receive(*r, Join({head, Bytes(2000, 0)})));
    EXPECT_EQ(0, r->RecvBufLen());
    EXPECT_EQ(kMaxFrameSize, r->ReceiveRoom());
    // The rest of it arrives as bytes that begin no frame and are thrown away.
    ASSERT_TRUE(Receive(*r, Bytes(2996, 0)));
    EXPECT_EQ(0, r->RecvBufLen());
    Bytes ready = ShortFrame(2);
    ASSERT_TRUE(Receive(*r, ready));
    std::vector<Bytes> frames = PopAll(*r);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(ready, frames[0]);
    // Even when only the three size bytes have arrived.
    ASSERT_TRUE(Receive(*r, {0xC2, 0x10, 0x01}));
    EXPECT_EQ(0, r->RecvBufLen());
}

TEST_F(FrameReceiverTest, TailOfAnOversizedFrameIsSkippedNotCut)
{
    // 5000 bytes announced; the tail starts with what looks like a ready frame.
    Bytes body(4996, 0x00);
    body[2000] = 0xC1;
    body[2001] = 0x03;
    body[2002] = 0x02;
    Bytes oversized = Join({{0xC2, 0x13, 0x88, 0x01}, body});
    Bytes ready = ShortFrame(2, {0x5A});   // told apart from the fake one by its body
    // In one piece that fills the buffer, then the rest with a real frame behind it,
    // and split so that the fake header lands at the start of a receive.
    for (size_t first : {size_t(kMaxFrameSize), size_t(2004), size_t(10)}) {
        Bytes stream = Join({oversized, ready});
        for (size_t at = 0; at < stream.size();) {
            size_t n = std::min(at == 0 ? first : size_t(kMaxFrameSize), stream.size() - at);
            ASSERT_TRUE(Receive(*r, Bytes(stream.begin() + static_cast<long>(at),
                                          stream.begin() + static_cast<long>(at + n))));
            at += n;
        }
        std::vector<Bytes> frames = PopAll(*r);
        ASSERT_EQ(1u, frames.size()) << "first receive " << first;
        EXPECT_EQ(ready, frames[0]);
        EXPECT_EQ(0, r->RecvBufLen());
    }
    // The largest size a long frame can announce is skipped just the same.
    ASSERT_TRUE(Receive(*r, {0xC2, 0xFF, 0xFF}));
    for (int left = 0xFFFF - 3; left > 0; left -= 1000)
        ASSERT_TRUE(Receive(*r, Bytes(std::min(left, 1000), 0xC1)));
    ASSERT_TRUE(Receive(*r, ready));
    EXPECT_EQ(1u, PopAll(*r).size());
}

TEST_F(FrameReceiverTest, EleventhUndispatchedFrameIsDropped)
{
    Bytes stream;
    for (int i = 0; i < 11; ++i)
        stream = Join({stream, ShortFrame(3, {static_cast<unsigned char>(i)})});
    ASSERT_TRUE(Receive(*r, stream));
    EXPECT_EQ(kFramePoolSlots, r->PendingFrames());
    std::vector<Bytes> frames = PopAll(*r);
    ASSERT_EQ(10u, frames.size());
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(i, frames[i][3]);
}

TEST_F(FrameReceiverTest, ReceiveBeyondTheRoomIsRefused)
{
    ASSERT_TRUE(Receive(*r, {0xC1, 0x20}));
    EXPECT_EQ(kMaxFrameSize - 2, r->ReceiveRoom());
    EXPECT_EQ(0, r->OnReceived(kMaxFrameSize - 1));
    EXPECT_EQ(0, r->OnReceived(-1));
    EXPECT_EQ(2, r->RecvBufLen());
    EXPECT_EQ(1, r->OnReceived(0));
    EXPECT_EQ(2, r->RecvBufLen());
}

TEST(FramePoolTest, PushResultsAndLowestSlotOrder)
{
    std::unique_ptr<FramePool> pool = std::make_unique<FramePool>();
    Bytes big(kMaxFrameSize + 1, 0xC1);
    EXPECT_EQ(kPushTooBig, pool->PushFrame(big.data(), kMaxFrameSize + 1));
    EXPECT_EQ(0, pool->UsedSlots());
    EXPECT_EQ(kPushStored, pool->PushFrame(big.data(), kMaxFrameSize));
    for (int i = 1; i < kFramePoolSlots; ++i) {
        unsigned char f[3] = {0xC1, 3, static_cast<unsigned char>(i)};
        EXPECT_EQ(kPushStored, pool->PushFrame(f, 3));
    }
    unsigned char extra[3] = {0xC1, 3, 99};
    EXPECT_EQ(kPushPoolFull, pool->PushFrame(extra, 3));

    int size = 0;
    unsigned char* first = pool->PopFrame(&size);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(kMaxFrameSize, size);
    // The freed lowest slot is reused first, so the new frame is popped next.
    EXPECT_EQ(kPushStored, pool->PushFrame(extra, 3));
    unsigned char* next = pool->PopFrame(&size);
    ASSERT_NE(nullptr, next);
    EXPECT_EQ(99, next[2]);
    for (int i = 1; i < kFramePoolSlots; ++i) {
        unsigned char* f = pool->PopFrame(&size);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ(i, f[2]);
    }
    EXPECT_EQ(nullptr, pool->PopFrame(&size));
}

}  // namespace
