#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/analysis/chart_data.h"
#include "core/analysis/chart_text.h"
#include "core/fees/commission.h"
#include "core/money/number_text.h"
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
    t.set_last_broker(1);
    test::set_standard_schedule(t, 0);
    test::set_standard_schedule(t, 1);
    t.broker(1).minimum = yen(2'000);
    const CommissionChart chart = commission_chart(t);
    ASSERT_EQ(chart.curves.size(), 2u);
    const auto& standard = chart.curves[0];
    EXPECT_EQ(standard.front().amount, 10'000);
    EXPECT_EQ(standard.back().amount, 100'000'000);
    // The step at the first bound, and the flat top bracket.
    EXPECT_EQ(at(standard, 1'000'000), yen(11'500));
    EXPECT_EQ(at(standard, 1'000'001), Money::from_units(115'000'086));
    EXPECT_EQ(at(standard, 50'000'000), Money::from_units(2'724'999'958));
    EXPECT_EQ(at(standard, 50'000'001), yen(272'500));
    // The kink where the line leaves the minimum.
    EXPECT_EQ(at(chart.curves[1], 173'913), yen(2'000));
    EXPECT_EQ(at(chart.curves[1], 173'914), Money::from_units(20'000'110));
    for (const auto& curve : chart.curves)
        for (std::size_t i = 1; i < curve.size(); ++i) {
            ASSERT_LT(curve[i - 1].amount, curve[i].amount);
            EXPECT_LE(static_cast<double>(curve[i].amount) / static_cast<double>(curve[i - 1].amount), 1.08);
        }
    EXPECT_EQ(chart.cheapest, cheapest_runs(t, kChartAmounts).value());
}

TEST(CommissionChart, APlanTooFineToRankIsStillDrawnAndTheListSaysWhy)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    // A yen more for every yen traded: more steps than can be ranked.
    const DailyPlans plans{{QStringLiteral("刻み"), {}, {{1, {}}}, DailyStep{1, yen(1)}, {}}};
    const CommissionChart chart = commission_chart(Participants(t, plans), kChartAmounts);
    ASSERT_EQ(chart.curves.size(), 2u);
    for (const auto& curve : chart.curves)
        EXPECT_GT(curve.size(), 2u);
    EXPECT_TRUE(chart.cheapest.empty());
    EXPECT_NE(chart.unranked.find("刻み"), std::string::npos) << chart.unranked;
}

TEST(CommissionChart, OverflowEverywhereLeavesOnlyThatBrokerWithoutALine)
{
    BrokerTable t;
    t.set_last_broker(1);
    t.broker(1).brackets.at(5).rate = 1e12f;
    const CommissionChart chart = commission_chart(t);
    EXPECT_TRUE(chart.curves[1].empty());
    EXPECT_EQ(chart.overflows[1], std::vector<AmountRange>{kChartAmounts});
    EXPECT_EQ(chart.curves[0].back().amount, kChartAmounts.to);
    EXPECT_EQ(chart.cheapest, (std::vector<CheapestRun>{{10'000, 100'000'000, kNoCheapest, {}, {}}}));
}

// Broker 1's brackets first..last at `rate`: it overflows in `overflows`,
// broker 0 never. Each case is checked whole: curves, gaps and ranking.
TEST(ChartData, AnOverflowingBrokerIsDrawnWhereItFitsAndNobodyIsRankedWhereItDoesNot)
{
    struct Case {
        int first, last;
        float rate;
        AmountRange range;
        std::vector<AmountRange> overflows;
    };
    for (const Case& c :
         {Case{5, 5, 1e10f, kChartAmounts, {{50'000'001, 100'000'000}}},
          Case{1, 1, 1e12f, kChartAmounts, {{1'000'001, 5'000'000}}},
          Case{3, 4, 1e12f, kChartAmounts, {{10'000'001, 50'000'000}}},
          Case{0, 0, 0x1p30f, kChartAmounts, {{858'994, 1'000'000}}}, // 2^63 / 10^4 / 2^30
          Case{0, 0, 1e12f, {1, 2'000}, {{923, 2'000}}},
          Case{0, 5, 1e12f, {10'000, 10'000}, {{10'000, 10'000}}}, Case{0, 5, 0.0115f, kChartAmounts, {}}}) {
        BrokerTable t;
        t.set_last_broker(1);
        test::set_standard_schedule(t, 0);
        test::set_standard_schedule(t, 1);
        for (int k = c.first; k <= c.last; ++k)
            t.broker(1).brackets.at(k).rate = c.rate;
        const CommissionChart chart = commission_chart(t, c.range);
        EXPECT_EQ(chart.overflows, (std::vector<std::vector<AmountRange>>{{}, c.overflows})) << c.first;
        EXPECT_EQ(chart.curves[0].front().amount, c.range.from);
        EXPECT_EQ(chart.curves[0].back().amount, c.range.to);
        std::vector<AmountRange> unranked;
        for (const CheapestRun& run : chart.cheapest)
            if (run.row == kNoCheapest)
                unranked.push_back({run.from, run.to});
        EXPECT_EQ(unranked, c.overflows) << c.first;
        for (const AmountRange& o : c.overflows) {
            for (const CommissionPoint& p : chart.curves[1])
                EXPECT_TRUE(p.amount < o.from || p.amount > o.to) << p.amount;
            EXPECT_TRUE(o.from == c.range.from || at(chart.curves[1], o.from - 1)) << o.from;
            EXPECT_TRUE(o.to == c.range.to || at(chart.curves[1], o.to + 1)) << o.to;
        }
    }
}

TEST(ChartData, TheRangeIsWholeYenFromOneUpAndARefusalNamesTheBox)
{
    using Box = RangeRefusal::Box;
    struct Case {
        const char16_t* from;
        const char16_t* to;
        std::optional<AmountRange> range;
        Box box;
        const char* name;
    };
    for (const Case& c :
         {Case{u"10000", u"¥100,000,000", AmountRange{10'000, 100'000'000}, {}, ""},
          Case{u"1", u"1", AmountRange{1, 1}, {}, ""}, Case{u"abc", u"1", {}, Box::First, "最初の金額"},
          Case{u"0", u"1", {}, Box::First, "最初の金額"}, Case{u"1", u"1.5", {}, Box::Last, "最後の金額"},
          Case{u"1", u"", {}, Box::Last, "最後の金額"},
          Case{u"1", u"99999999999999999", {}, Box::Last, "最後の金額"},
          Case{u"2", u"1", {}, Box::First, "最初の金額"}}) {
        const auto range = chart_range(c.from, c.to);
        ASSERT_EQ(range.ok(), c.range.has_value()) << c.name;
        if (c.range) {
            EXPECT_EQ(range.value(), *c.range);
        } else {
            EXPECT_EQ(range.error().box, c.box) << c.name;
            EXPECT_NE(range.error().message.find(c.name), std::string::npos) << range.error().message;
        }
    }
}

TEST(YearlyChart, FactorOneIsThePlanAndOthersRoundCountsHalvesToEven)
{
    BrokerTable t;
    t.set_last_broker(1);
    test::set_standard_schedule(t, 0);
    test::set_standard_schedule(t, 1);
    t.broker(1).yearly_fee = yen(0);
    const TradePlan plan =
        plan_of({{300'000, 5}, {500'000, 15}, {1'000'000, 7}, {3'000'000, 0}, {5'000'000, -3}});
    const YearlyChart chart = yearly_chart(t, plan);
    ASSERT_EQ(chart.factors.size(), static_cast<std::size_t>(2 * kFactorsPerDecade + 1));
    EXPECT_DOUBLE_EQ(chart.factors.front(), 0.1);
    EXPECT_DOUBLE_EQ(chart.factors.back(), 10.0);
    const std::size_t one = kFactorsPerDecade;
    EXPECT_EQ(chart.factors[one], 1.0);
    const YearlyCosts costs = compute_yearly_costs(t, plan).value();
    EXPECT_EQ(chart.costs[0][one], costs[0]);
    EXPECT_EQ(chart.costs[1][one], costs[1]);
    // 0.5 trades round to 0, 1.5 to 2, 0.7 to 1, -0.3 to 0.
    EXPECT_EQ(chart.counts.front(), (std::array<std::int64_t, kPlanRows>{0, 2, 1, 0, 0}));
    EXPECT_EQ(chart.counts.back(), (std::array<std::int64_t, kPlanRows>{50, 150, 70, 0, -30}));
}

TEST(YearlyChart, MarksWhereAYearlyFeeStartsToPayOff)
{
    // Row 1 halves the commission for a yearly fee of 20,000: from twelve
    // trades of 300,000 a year on, it pays off.
    BrokerTable t;
    t.set_last_broker(1);
    test::set_standard_schedule(t, 0);
    test::set_standard_schedule(t, 1);
    t.broker(0).yearly_fee = Money{};
    t.broker(1).yearly_fee = yen(20'000);
    t.broker(1).brackets.at(0).rate = 0.00575f;
    const YearlyChart chart = yearly_chart(t, plan_of({{300'000, 10}}));
    const std::vector<YearlyRun> runs = chart.runs();
    ASSERT_EQ(runs.size(), 2u);
    const std::size_t i = runs[1].first;
    EXPECT_EQ(chart.cheapest[i - 1], 0);
    EXPECT_EQ(chart.cheapest[i], 1);
    // 11 trades: 37,950 against 38,975; 12 trades: 41,400 against 40,700.
    EXPECT_EQ(chart.counts[i - 1][0], 11);
    EXPECT_EQ(chart.counts[i][0], 12);
    EXPECT_EQ(chart.costs[1][i], yen(40'700));

    // Row 0 leaves the money range from some factor on, row 1 never: row 0's
    // costs stop there and nobody is ranked beyond it.
    t.broker(1) = Broker{};
    const YearlyChart overflow = yearly_chart(t, plan_of({{100'000'000, INT32_MAX}}));
    const auto& costs = overflow.costs[0];
    const auto first = std::find(costs.begin(), costs.end(), std::nullopt) - costs.begin();
    ASSERT_GT(first, 0);
    ASSERT_LT(first, std::ssize(costs));
    EXPECT_EQ(std::count(costs.begin(), costs.end(), std::nullopt), std::ssize(costs) - first);
    EXPECT_EQ(std::count(overflow.costs[1].begin(), overflow.costs[1].end(), std::nullopt), 0);
    EXPECT_EQ(overflow.runs().back(),
              (YearlyRun{static_cast<std::size_t>(first), costs.size() - 1, kNoCheapest}));
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

// Row 0 trades `amount` `count` times at `rate` up to the first bound; row 1
// costs nothing. The runs cover exactly the empty costs, and stay apart.
TEST(YearlyChart, OverflowsAreTheRunsOfEmptyCosts)
{
    struct Case {
        std::int64_t amount;
        std::int32_t count;
        float rate;
        std::size_t runs;
    };
    for (const Case& c : {Case{300'000, 10, 0.0115f, 0}, Case{100'000'000, INT32_MAX, 0.0115f, 1},
                          Case{300'000, 10, 1e12f, 1}}) {
        BrokerTable t;
        t.set_last_broker(1);
        test::set_standard_schedule(t, 0);
        t.broker(0).brackets.at(0).rate = c.rate;
        const YearlyChart chart = yearly_chart(t, plan_of({{c.amount, c.count}}));
        EXPECT_EQ(chart.overflows.at(0).size(), c.runs) << c.amount;
        EXPECT_TRUE(chart.overflows.at(1).empty());
        std::vector<bool> covered(chart.factors.size());
        for (std::size_t k = 0; k < chart.overflows[0].size(); ++k) {
            const FactorRange o = chart.overflows[0][k];
            EXPECT_TRUE(k == 0 || chart.overflows[0][k - 1].last + 1 < o.first);
            std::fill(covered.begin() + o.first, covered.begin() + o.last + 1, true);
        }
        for (std::size_t i = 0; i < covered.size(); ++i)
            EXPECT_EQ(covered[i], !chart.costs[0][i]) << c.amount << ' ' << i;
        const QStringList notes = overflow_notes(chart);
        EXPECT_EQ(notes.at(0).isEmpty(), c.runs == 0) << c.amount;
        for (const FactorRange& o : chart.overflows[0])
            EXPECT_EQ(notes[0].contains(factor_text(chart.factors[o.first])), o.first > 0) << c.amount;
    }
}

// Broker 1's brackets first..last at `rate`: its one stretch of overflow, and
// the note that names each end of it the range does not share.
TEST(ChartText, AnOverflowNoteNamesTheEndsInsideTheRange)
{
    struct Case {
        int first, last;
        float rate;
        AmountRange range;
        bool names_from, names_to;
    };
    for (const Case& c :
         {Case{5, 5, 1e10f, kChartAmounts, true, false}, Case{1, 1, 1e12f, kChartAmounts, true, true},
          Case{1, 1, 1e12f, {2'000'000, 10'000'000}, false, true},
          Case{0, 5, 1e12f, {10'000, 10'000}, false, false}}) {
        BrokerTable t;
        t.set_last_broker(1);
        test::set_standard_schedule(t, 1);
        for (int k = c.first; k <= c.last; ++k)
            t.broker(1).brackets.at(k).rate = c.rate;
        const CommissionChart chart = commission_chart(t, c.range);
        const QStringList notes = overflow_notes(chart);
        ASSERT_EQ(notes.size(), 2);
        EXPECT_TRUE(notes[0].isEmpty());
        EXPECT_FALSE(notes[1].isEmpty());
        const AmountRange o = chart.overflows[1].at(0);
        EXPECT_EQ(notes[1].contains(currency_form(Money::from_whole_yen(o.from))), c.names_from) << c.first;
        EXPECT_EQ(notes[1].contains(currency_form(Money::from_whole_yen(o.to))), c.names_to) << c.first;
    }
}
