// The link clock's unit arithmetic and the rate meter's smoothing.
#include "devicelink/kelvostream.h"
#include "devicelink/linkclock.h"

#include <gtest/gtest.h>

using namespace kelvo;

TEST(LinkClock, UnitsAndByteGaps) {
    ASSERT_TRUE(LinkClockAvailable());
    TLinkClock c;
    EXPECT_EQ(c.SetMicroUnits(0), -2);
    EXPECT_EQ(c.SetRateUnits(-5), -2);
    ASSERT_EQ(c.SetRateUnits(115200), 1);
    EXPECT_EQ(c.UnitsInFraction(2, 1000), 231);
    EXPECT_EQ(TKelvoStream::ByteGap(c), 231);
    c.SetRateUnits(57600);
    EXPECT_EQ(TKelvoStream::ByteGap(c), 116);
    c.SetRateUnits(19200);
    EXPECT_EQ(c.UnitsInFraction(2, 1000), 39);
    EXPECT_EQ(TKelvoStream::ByteGap(c), 40);
    c.SetMicroUnits(1);
    EXPECT_EQ(c.UnitsInFraction(1, 1), 1'000'000);
    c.SetMicroUnits(1000); // milliseconds
    EXPECT_EQ(c.UnitsInFraction(1, 3), 334);
}

TEST(LinkClock, WaitingAndMeasuring) {
    TLinkClock c;
    c.Restart();
    EXPECT_EQ(c.WaitUntil(0), 1);
    EXPECT_EQ(c.WaitUntil(-3), 1);
    EXPECT_EQ(c.WaitUntil(200), 2);
    // Only a lower bound: a loaded machine may take any time longer.
    EXPECT_GE(c.Elapsed(true), 200);
    EXPECT_LT(c.Elapsed(false), 200 * 1000 * 1000);

    const std::int64_t a = LinkTimeStamp();
    const std::int64_t b = LinkTimeStamp();
    EXPECT_GT(a, 0);
    EXPECT_GE(b, a);
}

TEST(RateMeter, SmoothsOverTheWindow) {
    TRateMeter m(10'000'000, 0, 0);
    for (int i = 0; i < 300; ++i)
        m.Update(1, 1'000'000);
    EXPECT_NEAR(m.Rate(), 1.0, 1e-9);
    // One interval moves the rate by its share of the window.
    m.Update(1, 500'000);
    EXPECT_NEAR(m.Rate(), 1.0 + 0.05 * (2.0 - 1.0), 1e-12);
    // An interval of a whole window or more sets the instantaneous rate.
    EXPECT_DOUBLE_EQ(m.Update(1, 10'000'000), 0.1);
    EXPECT_DOUBLE_EQ(m.Update(3, 20'000'000), 0.15);
    // No time passed: nothing to learn.
    EXPECT_DOUBLE_EQ(m.Update(5, 0), 0.15);

    TRateMeter limited(10'000'000, 0.5, 1.0);
    EXPECT_DOUBLE_EQ(limited.Update(1, 100'000), 10.0); // jump too large: taken as is
    EXPECT_NEAR(limited.Update(1, 100'000), 10.0, 1e-12);

    TRateMeter unwindowed(0, 0, 0);
    EXPECT_DOUBLE_EQ(unwindowed.Update(2, 1'000'000), 2.0);
}
