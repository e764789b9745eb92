#include <gtest/gtest.h>

#include "core/fees/daily_plan.h"

using namespace fee;

namespace {

Money yen(double y)
{
    return *Money::from_double_yen_half_even(y);
}

// A day's fee: the first tier it fits, the steps above the last begun, the cap.
TEST(DailyPlan, ADaysFeeFollowsTheTiersTheStepsAndTheCap)
{
    const DailyPlan stepped{"stepped",
                            {},
                            {{500'000, yen(0)}, {1'000'000, yen(1'100)}, {2'000'000, yen(2'200)}},
                            DailyStep{1'000'000, yen(1'100)},
                            yen(5'500)};
    DailyPlan flat = stepped;
    flat.above.reset();
    flat.maximum = {};
    DailyPlan decimals = stepped;
    decimals.tiers = {{100, yen(0.5)}};
    decimals.above = DailyStep{1, yen(0.0001)};
    decimals.maximum = {};
    const struct {
        const DailyPlan& plan;
        double total, fee;
    } cases[] = {
        {stepped, 1, 0},
        {stepped, 500'000, 0},
        {stepped, 500'000.0001, 1'100},
        {stepped, 1'000'000, 1'100},
        {stepped, 2'000'000, 2'200},
        {stepped, 2'000'000.0001, 3'300},
        {stepped, 3'000'000, 3'300},
        {stepped, 3'000'001, 4'400},
        {stepped, 1e10, 5'500},
        {flat, 1e10, 2'200},
        {decimals, 100, 0.5},
        {decimals, 100.5, 0.5001},
        {decimals, 103, 0.5003},
    };
    for (const auto& c : cases)
        EXPECT_EQ(day_fee(c.plan, yen(c.total)), yen(c.fee)) << c.plan.name.toStdString() << " " << c.total;
    // Steps beyond the money range: capped where there is a cap, else nothing.
    DailyPlan huge = stepped;
    huge.above = DailyStep{1, Money::max()};
    EXPECT_EQ(day_fee(huge, yen(3'000'000)), yen(5'500));
    huge.maximum = {};
    EXPECT_EQ(day_fee(huge, yen(3'000'000)), std::nullopt);
}

} // namespace
