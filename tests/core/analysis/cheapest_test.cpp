#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>
#include <random>

#include "core/analysis/cheapest.h"
#include "core/fees/commission.h"
#include "core/fees/participants.h"
#include "test_tables.h"

using namespace fee;

namespace fee {
// Lets GoogleTest show a run that differs.
void PrintTo(const CheapestRun& r, std::ostream* os)
{
    *os << "{" << r.from << ".." << r.to << " row " << r.row << " " << r.commission_from.units() << ".."
        << r.commission_to.units() << "}";
}
} // namespace fee

namespace {

Money yen(std::int64_t y)
{
    return *Money::from_yen(y);
}

// Every amount tried, the definition itself.
std::vector<CheapestRun> brute_force(const Participants& t, AmountRange range)
{
    std::vector<CheapestRun> runs;
    for (std::int64_t a = range.from; a <= range.to; ++a) {
        int best = 0;
        Money low = *t.commission(0, yen(a));
        for (int b = 1; b < t.size(); ++b) {
            const Money c = *t.commission(b, yen(a));
            if (c < low) {
                low = c;
                best = b;
            }
        }
        if (!runs.empty() && runs.back().row == best) {
            runs.back().to = a;
            runs.back().commission_to = low;
        } else {
            runs.push_back({a, a, best, low, low});
        }
    }
    return runs;
}

void expect_exact(const Participants& t, AmountRange range)
{
    const auto runs = cheapest_runs(t, range);
    ASSERT_TRUE(runs.ok()) << "overflow at row " << runs.error().broker;
    EXPECT_EQ(runs.value(), brute_force(t, range)) << range.from << ".." << range.to;
}

void expect_exact(const BrokerTable& t, AmountRange range)
{
    expect_exact(Participants(t), range);
}

void set_flat_rate(BrokerTable& t, int row, float rate, std::int64_t add_on_units = 0)
{
    t.broker(row) = Broker{};
    t.broker(row).brackets.at(0).rate = rate;
    t.broker(row).brackets.at(0).add_on = Money::from_units(add_on_units);
    for (std::size_t k = 0; k < kBoundedBrackets; ++k)
        t.broker(row).brackets.at(k).upper_bound = yen(kMaxWholeYen);
}

// The standard schedule, two variants of it and a flat 0.3 %.
BrokerTable mixed_table()
{
    BrokerTable t;
    t.set_last_broker(3);
    for (int r = 0; r < 3; ++r)
        test::set_standard_schedule(t, r);
    t.broker(1).minimum = yen(2'000);
    t.broker(1).maximum = yen(100'000);
    t.broker(2).brackets.at(0).rate = 0.0114f; // crosses row 0's line near nothing: slopes differ
    t.broker(2).brackets.at(0).add_on = yen(30);
    set_flat_rate(t, 3, 0.003f, 9'000'000);
    return t;
}

} // namespace

TEST(CheapestRuns, MatchBruteForceAcrossBoundsAndClamps)
{
    const BrokerTable t = mixed_table();
    for (const AmountRange r : {AmountRange{1, 3'000}, AmountRange{25'000, 28'000},
                                AmountRange{172'000, 175'000}, AmountRange{998'500, 1'001'500},
                                AmountRange{4'999'000, 5'001'000}, AmountRange{13'042'000, 13'045'000},
                                AmountRange{49'999'000, 50'001'000}, AmountRange{-1'500, 1'500}})
        expect_exact(t, r);
}

// A daily plan takes part as one trade a day: steps, tiers (a fee that falls
// too) and its cap meet the brokers' lines exactly; a tie goes to the broker,
// then to the plan first in the file.
TEST(CheapestRuns, DailyPlansTakePartAsOneTradeADay)
{
    const BrokerTable t = mixed_table();
    const DailyPlans plans = {
        {"stepped",
         {},
         {{50'000, yen(0)}, {1'000'000, yen(2'000)}},
         DailyStep{700'000, yen(700)},
         yen(9'000)},
        {"fine", {}, {{30'000, yen(60)}}, DailyStep{1'000, yen(30)}, {}},
        {"twin", {}, {{50'000, yen(0)}, {1'000'000, yen(2'000)}}, DailyStep{700'000, yen(700)}, yen(9'000)},
        {"falling",
         {},
         {{50'000, yen(5'000)}, {50'200, yen(3'000)}, {50'500, yen(100)}},
         DailyStep{100, yen(100)},
         {}},
    };
    for (const AmountRange r :
         {AmountRange{1, 3'000}, AmountRange{49'000, 51'000}, AmountRange{170'000, 240'000},
          AmountRange{999'000, 1'001'500}, AmountRange{8'690'000, 8'710'000},
          AmountRange{13'042'000, 13'045'000}, AmountRange{-1'500, 1'500}})
        expect_exact(Participants(t, plans), r);
}

TEST(CheapestRuns, NearlyEqualRatesHandTheWinBackAndForthExactly)
{
    // One float step apart: the products differ by under 1/10,000 yen up to
    // some 860,000 yen, and with a rate whose products have every fraction the
    // rounding alone decides, amount by amount.
    const float rate = 0.00123457f;
    BrokerTable t;
    t.set_last_broker(2);
    set_flat_rate(t, 0, std::nextafter(rate, 1.0f));
    set_flat_rate(t, 1, rate);
    set_flat_rate(t, 2, std::nextafter(rate, 0.0f), 1); // one unit more, slightly lower rate
    for (const AmountRange r :
         {AmountRange{1, 3'000}, AmountRange{105'000, 109'000}, AmountRange{210'000, 216'000}})
        expect_exact(t, r);
    const auto runs = cheapest_runs(t, {105'000, 109'000});
    EXPECT_GT(runs.value().size(), 20u); // it really does flip
}

TEST(CheapestRuns, TiesGoToTheLowestRowAndZeroRowsWin)
{
    BrokerTable t;
    t.set_last_broker(4);
    test::set_standard_schedule(t, 0);
    test::set_standard_schedule(t, 2);
    // Rows 1 and 3 are all zero; row 4 pays back one unit up to 500 yen (a
    // minimum of 0 would raise that to 0).
    for (std::size_t k = 0; k < kBoundedBrackets; ++k)
        t.broker(4).brackets.at(k).upper_bound = yen(500);
    t.broker(4).brackets.at(0).add_on = Money::from_units(-1);
    t.broker(4).minimum = Money::from_units(-1);
    for (const AmountRange r : {AmountRange{0, 2'000}, AmountRange{-10, 10}})
        expect_exact(t, r);
    const auto runs = cheapest_runs(t, {1, 100'000'000});
    ASSERT_TRUE(runs.ok());
    EXPECT_EQ(runs.value(),
              (std::vector<CheapestRun>{{1, 500, 4, Money::from_units(-1), Money::from_units(-1)},
                                        {501, 100'000'000, 1, Money{}, Money{}}}));

    BrokerTable same; // identical schedules: row 0 all along
    same.set_last_broker(20);
    for (int r = 0; r <= 20; ++r)
        test::set_standard_schedule(same, r);
    EXPECT_EQ(cheapest_runs(same, {1, 100'000'000}).value(),
              (std::vector<CheapestRun>{{1, 100'000'000, 0, Money::from_units(115), yen(272'500)}}));
}

TEST(CheapestRuns, RandomTablesMatchBruteForce)
{
    // Unordered and zero bounds, near-equal rates, limits that bite: each case
    // a small table over a narrow range around the interesting amounts.
    std::mt19937_64 gen(20240611);
    std::mt19937_64 plan_gen(20261209);
    auto pick = [&gen](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(gen);
    };
    const float rates[] = {0.0f, 0.001f, 0.003f, 0.0099f, 0.01f, std::nextafter(0.01f, 1.0f), 0.0115f};
    for (int round = 0; round < 60; ++round) {
        BrokerTable t;
        t.set_last_broker(static_cast<int>(pick(1, 5)));
        const std::int64_t centre = pick(0, 3) == 0 ? pick(0, 5'000) : pick(1'000, 3'000'000);
        for (int b = 0; b <= t.last_broker(); ++b) {
            Broker& k = t.broker(b);
            for (std::size_t j = 0; j < 6; ++j) {
                k.brackets[j].upper_bound = pick(0, 4) == 0 ? Money{} : yen(centre + pick(-1'500, 1'500));
                k.brackets[j].rate = rates[pick(0, 6)];
                k.brackets[j].add_on = Money::from_units(pick(0, 2) == 0 ? 0 : pick(-50, 50'000));
            }
            const std::int64_t line = static_cast<std::int64_t>(static_cast<double>(centre) * 0.01);
            k.minimum = pick(0, 2) == 0 ? Money{} : yen(line + pick(-20, 20));
            k.maximum = pick(0, 2) == 0 ? Money{} : yen(line + pick(-20, 40));
        }
        SCOPED_TRACE(round);
        expect_exact(t, {centre - 2'000, centre + 2'000});

        // With daily plans, from a generator of their own so that the tables stay as they were:
        // tiers and steps around the centre, fees near the brokers' that may fall at a tier.
        auto near = [&](std::int64_t lo, std::int64_t hi) {
            return std::uniform_int_distribution<std::int64_t>(lo, hi)(plan_gen);
        };
        const std::int64_t fee = static_cast<std::int64_t>(static_cast<double>(centre) * 0.01);
        DailyPlans plans(static_cast<std::size_t>(near(1, 3)));
        for (DailyPlan& plan : plans) {
            for (std::int64_t up_to = centre + near(-2'500, 0); plan.tiers.size() < 3; up_to += near(1, 900))
                plan.tiers.push_back({up_to, yen(std::max<std::int64_t>(0, fee + near(-30, 30)))});
            plan.above = DailyStep{near(1, 400), Money::from_units(near(0, 100'000))};
            plan.maximum = near(0, 1) == 0 ? Money{} : yen(fee + near(0, 40));
        }
        expect_exact(Participants(t, plans), {centre - 2'000, centre + 2'000});
    }
}

TEST(CheapestRuns, StandardScheduleAgainstAFlatRateAndACappedCopy)
{
    BrokerTable t;
    t.set_last_broker(1);
    test::set_standard_schedule(t, 0);
    set_flat_rate(t, 1, 0.003f);
    // The flat 0.3 % is cheaper until the standard's flat 272,500 above ¥50,000,000
    // wins: 90,833,332 x 0.003000000026 = 272,499.9984.
    EXPECT_EQ(
        cheapest_runs(t, {1, 100'000'000}).value(),
        (std::vector<CheapestRun>{{1, 90'833'332, 1, Money::from_units(30), Money::from_units(2'724'999'984)},
                                  {90'833'333, 100'000'000, 0, yen(272'500), yen(272'500)}}));

    // The same schedule capped at 100,000 with a minimum of 2,000: equal (and
    // so row 0) until the line passes the cap at 13,043,479.
    test::set_standard_schedule(t, 1);
    t.broker(1).minimum = yen(2'000);
    t.broker(1).maximum = yen(100'000);
    EXPECT_EQ(
        cheapest_runs(t, {1, 100'000'000}).value(),
        (std::vector<CheapestRun>{{1, 13'043'478, 0, Money::from_units(115), Money::from_units(999'999'986)},
                                  {13'043'479, 100'000'000, 1, yen(100'000), yen(100'000)}}));
}

TEST(CheapestRuns, OverflowNamesTheBrokerAndTheFirstAmount)
{
    BrokerTable t;
    t.set_last_broker(2);
    test::set_standard_schedule(t, 0);
    set_flat_rate(t, 1, 1e12f); // from 922.34 yen on, past the range of Money
    set_flat_rate(t, 2, 1e13f);
    auto runs = cheapest_runs(t, {900, 1'000});
    ASSERT_FALSE(runs.ok());
    EXPECT_EQ(runs.error().broker, 1);
    EXPECT_EQ(runs.error().amount, 923);
    runs = cheapest_runs(t, {-922, 922});
    ASSERT_FALSE(runs.ok());
    EXPECT_EQ(runs.error().broker, 2);
    EXPECT_EQ(runs.error().amount, -922);

    set_flat_rate(t, 2, 0.0f, INT64_MAX);
    t.broker(2).brackets.at(0).upper_bound = yen(100);
    t.broker(2).brackets.at(1).rate = 1e-4f;
    t.broker(2).brackets.at(1).add_on = Money::max(); // any product pushes it over
    runs = cheapest_runs(t, {1, 922});
    ASSERT_FALSE(runs.ok());
    EXPECT_EQ(runs.error().broker, 2);
    EXPECT_EQ(runs.error().amount, 101);

    t.broker(0).name = "Ten";
    EXPECT_NE(trade_overflow_message(t, {0, 923}).find("「Ten」は ¥923 の取引"), std::string::npos);
}
