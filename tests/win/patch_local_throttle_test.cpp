// What the progress throttle lets through: changed captions and bar positions, per
// bar, and everything again after it was told to forget.
#include <gtest/gtest.h>

#include "patch/ProgressThrottle.h"

namespace {

TEST(ProgressThrottle, CaptionDrawsOnlyWhenItsTextChanges)
{
    ProgressThrottle t;
    EXPECT_EQ(t.CaptionChanged("a.bmd (0%)"), 1);
    EXPECT_EQ(t.CaptionChanged("a.bmd (0%)"), 0);
    EXPECT_EQ(t.CaptionChanged("a.bmd (1%)"), 1);
    EXPECT_EQ(t.CaptionChanged("a.bmd (0%)"), 1);   // changes back: drawn
    EXPECT_EQ(t.CaptionChanged(""), 1);
    EXPECT_EQ(t.CaptionChanged(nullptr), 0);          // null is the empty text
    t.ForgetCaption();
    EXPECT_EQ(t.CaptionChanged(""), 1);
}

TEST(ProgressThrottle, BarsAreRememberedEachOnItsOwn)
{
    ProgressThrottle t;
    EXPECT_EQ(t.BarChanged(1021, 0), 1);
    EXPECT_EQ(t.BarChanged(1022, 0), 1);
    EXPECT_EQ(t.BarChanged(1021, 0), 0);
    EXPECT_EQ(t.BarChanged(1021, 5), 1);
    EXPECT_EQ(t.BarChanged(1022, 0), 0);
    EXPECT_EQ(t.BarChanged(1022, 5), 1);

    t.ForgetBar(1021);
    EXPECT_EQ(t.BarChanged(1021, 5), 1);
    EXPECT_EQ(t.BarChanged(1022, 5), 0);
    EXPECT_EQ(t.CaptionChanged("x"), 1);

    t.Forget();
    EXPECT_EQ(t.BarChanged(1021, 5), 1);
    EXPECT_EQ(t.BarChanged(1022, 5), 1);
    EXPECT_EQ(t.CaptionChanged("x"), 1);
}

TEST(ProgressThrottle, BarsBeyondItsMemoryAlwaysDraw)
{
    ProgressThrottle t;
    for (int bar = 0; bar < ProgressThrottle::kMaxBars; ++bar)
        EXPECT_EQ(t.BarChanged(bar, 7), 1);
    EXPECT_EQ(t.BarChanged(99, 7), 1);
    EXPECT_EQ(t.BarChanged(99, 7), 1);   // never remembered: never skipped
    for (int bar = 0; bar < ProgressThrottle::kMaxBars; ++bar)
        EXPECT_EQ(t.BarChanged(bar, 7), 0);
}

TEST(ProgressThrottle, AThousandBlockTransferDrawsAHundredAndOneCaptions)
{
    // A transfer reports after every block; the caption changes once per percent.
    ProgressThrottle t;
    int drawn = 0, moved = 0;
    const unsigned total = 1000u * 2048u;
    for (unsigned received = 0; received <= total; received += 2048) {
        char caption[32];
        snprintf(caption, sizeof caption, "f (%u%%)", received * 100u / total);
        drawn += t.CaptionChanged(caption);
        moved += t.BarChanged(1021, static_cast<int>(received * 100u / total));
    }
    EXPECT_EQ(drawn, 101);
    EXPECT_EQ(moved, 101);
}

} // namespace
