#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/money/money.h"

using fee::Money;

TEST(Money, CheckedAdditionReportsOverflowBothWays)
{
    EXPECT_EQ(Money::max().plus(Money::from_units(-1))->units(), INT64_MAX - 1);
    EXPECT_FALSE(Money::max().plus(Money::from_units(1)).has_value());
    EXPECT_FALSE(Money::min().plus(Money::from_units(-1)).has_value());
    EXPECT_EQ(Money::min().plus(Money::max())->units(), -1);
}

TEST(Money, CheckedMultiplicationByCount)
{
    const Money c = Money::from_units(294999988); // 29,499.9988 yen
    EXPECT_EQ(c.times(5)->units(), 1474999940);
    EXPECT_EQ(c.times(0)->units(), 0);
    EXPECT_EQ(c.times(-3)->units(), -884999964);
    EXPECT_FALSE(Money::from_units(INT64_MAX / 2 + 1).times(2).has_value());
    EXPECT_FALSE(Money::min().times(-1).has_value());
    EXPECT_EQ(Money::from_units(-1).times(INT64_MAX)->units(), -INT64_MAX);
}

TEST(Money, FromYenChecksTheScale)
{
    EXPECT_EQ(Money::from_yen(2000)->units(), 20'000'000);
    EXPECT_EQ(Money::from_yen(922'337'203'685'477)->units(), 9'223'372'036'854'770'000);
    EXPECT_FALSE(Money::from_yen(922'337'203'685'478).has_value());
}

TEST(Money, FromDoubleRoundsToNearestAndRefusesWhatDoesNotFit)
{
    struct Case {
        double yen;
        std::int64_t units;
    };
    for (const Case c : {Case{26999.998837709427, 269999988}, Case{0.0, 0}, Case{-1.5, -15000},
                         Case{9000.00859999, 90000086}, Case{-0.00004, 0}, Case{0.00006, 1}}) {
        const auto m = Money::from_double_yen_half_even(c.yen);
        ASSERT_TRUE(m.has_value()) << c.yen;
        EXPECT_EQ(m->units(), c.units) << c.yen;
    }
    EXPECT_FALSE(Money::from_double_yen_half_even(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_FALSE(Money::from_double_yen_half_even(std::numeric_limits<double>::quiet_NaN()).has_value());
    EXPECT_FALSE(Money::from_double_yen_half_even(922337203685477.5808).has_value());
    EXPECT_FALSE(Money::from_double_yen_half_even(-922337203685479.0).has_value());
    EXPECT_TRUE(Money::from_double_yen_half_even(-922337203685477.5).has_value());
}

TEST(Money, ToDoubleIsExactForWholeYen)
{
    EXPECT_EQ(Money::from_yen(3'000'000)->to_double_yen(), 3'000'000.0);
    EXPECT_EQ(Money::from_yen(900'000'000'000'001)->to_double_yen(), 900'000'000'000'001.0);
    EXPECT_EQ(Money::from_units(-15000).to_double_yen(), -1.5);
}
