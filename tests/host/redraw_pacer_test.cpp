// The pacing of progress redraws: the first request draws, then one per interval,
// measured from the last redraw, across a wrap of the tick counter.
#include <gtest/gtest.h>

#include "patch/RedrawPacer.h"

namespace {

TEST(RedrawPacer, DrawsFirstThenOncePerIntervalFromTheLastDraw)
{
    RedrawPacer pacer(40);
    EXPECT_EQ(pacer.Due(1000), 1);
    EXPECT_EQ(pacer.Due(1000), 0);
    EXPECT_EQ(pacer.Due(1039), 0);
    EXPECT_EQ(pacer.Due(1040), 1);
    // Refused requests do not move the reference point.
    EXPECT_EQ(pacer.Due(1060), 0);
    EXPECT_EQ(pacer.Due(1079), 0);
    EXPECT_EQ(pacer.Due(1080), 1);
    EXPECT_EQ(pacer.Due(5000), 1);
}

TEST(RedrawPacer, TheTickCounterMayWrapAround)
{
    RedrawPacer pacer(40);
    EXPECT_EQ(pacer.Due(0xFFFFFFF0u), 1);
    EXPECT_EQ(pacer.Due(0x00000010u), 0);   // 32 ms later
    EXPECT_EQ(pacer.Due(0x00000018u), 1);   // 40 ms later
}

TEST(RedrawPacer, ATickCountOfZeroOnTheFirstCallStillDraws)
{
    RedrawPacer pacer;
    EXPECT_EQ(pacer.Due(0), 1);
    EXPECT_EQ(pacer.Due(RedrawPacer::kDefaultIntervalMs - 1), 0);
    EXPECT_EQ(pacer.Due(RedrawPacer::kDefaultIntervalMs), 1);
}

} // namespace
