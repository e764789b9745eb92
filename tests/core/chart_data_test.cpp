#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/chart_data.h"
#include "core/commission.h"
#include "test_tables.h"

using namespace fee;

namespace {

Money yen(std::int64_t y)
{
    return *Money::from_yen(y);
}

// The commission the chart gives for `amount`, which must be one of its points.
std::optional<Money> at(const std::vector<CommissionPoint>& curve, std::int64_t amount)
{
    const auto it = std::find_if(curve.begin(), curve.end(),
                                 [amount](const CommissionPoint& p) { return p.amount == amount; });
    if (it == curve.end())
        return std::nullopt;
    return it->commission;
}

TradePlan plan_of(std::initializer_list<std::pair<std::int64_t, std::int32_t>> rows)
{
    TradePlan plan{};
    std::size_t r = 0;
    for (const auto& [amount, count] : rows)
        plan[r++] = {yen(amount), count};
    return plan;
}

} // namespace

TEST(CommissionChart, StepsAndKinksAreExactPointsAndTheRestIsDense)
{
    BrokerTable t;
    t.set_last_row(1);
    test::set_standard_schedule(t, 0);
    test::set_standard_schedule(t, 1);
    t.broker(1).minimum = yen(2'000);
    const auto chart = commission_chart(t);
    ASSERT_TRUE(chart.ok());
    ASSERT_EQ(chart->curves.size(), 2u);
    const auto& standard = chart->curves[0];
    EXPECT_EQ(standard.front().amount, 10'000);
    EXPECT_EQ(standard.back().amount, 100'000'000);
    // The step at the first bound, and the flat top bracket.
    EXPECT_EQ(at(standard, 1'000'000), yen(11'500));
    EXPECT_EQ(at(standard, 1'000'001), Money::from_units(115'000'086));
    EXPECT_EQ(at(standard, 50'000'000), Money::from_units(2'724'999'958));
    EXPECT_EQ(at(standard, 50'000'001), yen(272'500));
    // The kink where the line leaves the minimum.
    EXPECT_EQ(at(chart->curves[1], 173'913), yen(2'000));
    EXPECT_EQ(at(chart->curves[1], 173'914), Money::from_units(20'000'110));
    for (const auto& curve : chart->curves)
        for (std::size_t i = 1; i < curve.size(); ++i) {
            ASSERT_LT(curve[i - 1].amount, curve[i].amount);
            EXPECT_LE(static_cast<double>(curve[i].amount) / static_cast<double>(curve[i - 1].amount), 1.08);
        }
    EXPECT_EQ(chart->cheapest, cheapest_runs(t, kChartAmounts).value());
}

TEST(CommissionChart, OverflowNamesTheBroker)
{
    BrokerTable t;
    t.set_last_row(1);
    t.broker(1).brackets.at(5).rate = 1e12f;
    const auto chart = commission_chart(t);
    ASSERT_FALSE(chart.ok());
    EXPECT_EQ(chart.error().broker, 1);
    EXPECT_EQ(chart.error().amount, 10'000);
}

TEST(YearlyChart, FactorOneIsThePlanAndOthersRoundCountsHalvesToEven)
{
    BrokerTable t;
    t.set_last_row(1);
    test::set_standard_schedule(t, 0);
    test::set_standard_schedule(t, 1);
    t.broker(1).yearly_fee = yen(0);
    const TradePlan plan =
        plan_of({{300'000, 5}, {500'000, 15}, {1'000'000, 7}, {3'000'000, 0}, {5'000'000, -3}});
    const auto chart = yearly_chart(t, plan);
    ASSERT_TRUE(chart.ok());
    ASSERT_EQ(chart->factors.size(), static_cast<std::size_t>(2 * kFactorsPerDecade + 1));
    EXPECT_DOUBLE_EQ(chart->factors.front(), 0.1);
    EXPECT_DOUBLE_EQ(chart->factors.back(), 10.0);
    const std::size_t one = kFactorsPerDecade;
    EXPECT_EQ(chart->factors[one], 1.0);
    const YearlyCosts costs = compute_yearly_costs(t, plan).value();
    EXPECT_EQ(chart->costs[0][one], costs[0]);
    EXPECT_EQ(chart->costs[1][one], costs[1]);
    // 0.5 trades round to 0, 1.5 to 2, 0.7 to 1, -0.3 to 0.
    EXPECT_EQ(chart->counts.front(), (std::array<std::int64_t, kPlanRows>{0, 2, 1, 0, 0}));
    EXPECT_EQ(chart->counts.back(), (std::array<std::int64_t, kPlanRows>{50, 150, 70, 0, -30}));
}

TEST(YearlyChart, MarksWhereAYearlyFeeStartsToPayOff)
{
    // Row 1 halves the commission for a yearly fee of 20,000: from twelve
    // trades of 300,000 a year on, it pays off.
    BrokerTable t;
    t.set_last_row(1);
    test::set_standard_schedule(t, 0);
    test::set_standard_schedule(t, 1);
    t.broker(0).yearly_fee = Money{};
    t.broker(1).yearly_fee = yen(20'000);
    t.broker(1).brackets.at(0).rate = 0.00575f;
    const auto chart = yearly_chart(t, plan_of({{300'000, 10}}));
    ASSERT_TRUE(chart.ok());
    const std::vector<YearlyRun> runs = chart->runs();
    ASSERT_EQ(runs.size(), 2u);
    const std::size_t i = runs[1].first;
    EXPECT_EQ(chart->cheapest[i - 1], 0);
    EXPECT_EQ(chart->cheapest[i], 1);
    // 11 trades: 37,950 against 38,975; 12 trades: 41,400 against 40,700.
    EXPECT_EQ(chart->counts[i - 1][0], 11);
    EXPECT_EQ(chart->counts[i][0], 12);
    EXPECT_EQ(chart->costs[1][i], yen(40'700));

    const auto overflow = yearly_chart(t, plan_of({{100'000'000, INT32_MAX}, {100'000'000, INT32_MAX}}));
    ASSERT_FALSE(overflow.ok());
    EXPECT_EQ(overflow.error().broker, 0);
}

TEST(YearlyChart, RunsAreTheStretchesOfOneCheapestBroker)
{
    struct Case {
        std::vector<int> cheapest;
        std::vector<YearlyRun> runs;
    };
    for (const Case& c :
         {Case{{}, {}}, Case{{3}, {{0, 0, 3}}}, Case{{1, 0, 1}, {{0, 0, 1}, {1, 1, 0}, {2, 2, 1}}},
          Case{{2, 2, 0, 0, 0, 2}, {{0, 1, 2}, {2, 4, 0}, {5, 5, 2}}}}) {
        YearlyChart chart;
        chart.cheapest = c.cheapest;
        EXPECT_EQ(chart.runs(), c.runs) << c.cheapest.size();
    }
}

TEST(YearlyChart, NearestFactorIsNearestOnTheLogarithmicAxis)
{
    YearlyChart chart;
    chart.factors = {0.1, 1.0, 10.0};
    struct Case {
        double x;
        std::size_t index;
    };
    // Halfway on that axis lie 0.316 and 3.16.
    for (const Case c :
         {Case{0.01, 0}, Case{0.3, 0}, Case{0.32, 1}, Case{3.1, 1}, Case{3.2, 2}, Case{50.0, 2}})
        EXPECT_EQ(chart.nearest_factor(c.x), c.index) << c.x;
}
