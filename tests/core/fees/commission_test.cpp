#include <gtest/gtest.h>

#include <cstdint>

#include "core/fees/commission.h"
#include "core/fees/preset_plans.h"
#include "core/money/number_text.h"
#include "test_tables.h"

using namespace fee;

namespace {

Money yen(std::int64_t y)
{
    return *Money::from_yen(y);
}

std::int64_t commission_units(const BrokerTable& t, std::int64_t amount)
{
    const auto c = trade_commission(t.broker(0), yen(amount));
    EXPECT_TRUE(c.has_value()) << amount;
    return c ? c->units() : -1;
}

TradePlan plan_of(const PresetPlan& p)
{
    return parse_plan(p.texts()).value();
}

} // namespace

TEST(BracketLookup, EqualToABoundStaysBelowOneYenMoreMovesUp)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    struct Case {
        std::int64_t amount;
        int bracket;
    };
    for (const Case c : {Case{0, 0}, Case{-5, 0}, Case{1'000'000, 0}, Case{1'000'001, 1}, Case{5'000'000, 1},
                         Case{5'000'001, 2}, Case{30'000'000, 3}, Case{50'000'000, 4}, Case{50'000'001, 5}}) {
        EXPECT_EQ(bracket_index(t.broker(0), yen(c.amount)), c.bracket) << c.amount;
    }
    // A tenth of a yen above the bound already exceeds it.
    EXPECT_EQ(bracket_index(t.broker(0), Money::from_units(10'000'000'001)), 1);
}

TEST(BracketLookup, UnorderedAndZeroBoundsLetTheLastExceededBoundDecide)
{
    BrokerTable t;
    t.broker(0).brackets.at(0).upper_bound = yen(1'000'000);
    t.broker(0).brackets.at(1).upper_bound = yen(5'000'000);
    EXPECT_EQ(bracket_index(t.broker(0), yen(1)), 5);
    EXPECT_EQ(bracket_index(t.broker(0), yen(0)), 0);
    t.broker(0).brackets.at(2).upper_bound = yen(100);
    t.broker(0).brackets.at(3).upper_bound = yen(9'000'000);
    t.broker(0).brackets.at(4).upper_bound = yen(200);
    EXPECT_EQ(bracket_index(t.broker(0), yen(150)), 3);       // exceeds bound 2, not 3 or 4
    EXPECT_EQ(bracket_index(t.broker(0), yen(2'000'000)), 5); // exceeds bound 4 last
    EXPECT_THROW(bracket_index(t.broker(21), yen(1)), std::out_of_range);
}

TEST(Commission, StandardScheduleMatchesTheWorkedTable)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    struct Case {
        std::int64_t amount;
        std::int64_t units;
    };
    for (const Case c :
         {Case{0, 0}, Case{300'000, 34'500'000}, Case{500'000, 57'500'000}, Case{1'000'000, 115'000'000},
          Case{1'000'001, 115'000'086}, Case{3'000'000, 294'999'988}, Case{5'000'000, 474'999'981},
          Case{10'000'000, 825'000'022}, Case{20'000'000, 1'400'000'002}, Case{30'000'000, 1'975'000'003},
          Case{50'000'000, 2'724'999'958}, Case{50'000'001, 2'725'000'000},
          Case{100'000'000, 2'725'000'000}}) {
        EXPECT_EQ(commission_units(t, c.amount), c.units) << c.amount;
    }
}

TEST(Commission, MinimumThenMaximum)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    t.broker(0).minimum = yen(2'000);
    t.broker(0).maximum = yen(100'000);
    struct Case {
        std::int64_t amount;
        std::int64_t units;
    };
    for (const Case c : {Case{0, 20'000'000}, Case{100'000, 20'000'000}, Case{173'913, 20'000'000},
                         Case{173'914, 20'000'110}, Case{10'000'000, 825'000'022},
                         Case{20'000'000, 1'000'000'000}, Case{100'000'000, 1'000'000'000}}) {
        EXPECT_EQ(commission_units(t, c.amount), c.units) << c.amount;
    }
    // A minimum above the maximum: every trade costs the maximum.
    t.broker(0).minimum = yen(3'000);
    t.broker(0).maximum = yen(2'500);
    for (std::int64_t amount : {0, 1, 1'000'000, 100'000'000})
        EXPECT_EQ(commission_units(t, amount), 25'000'000) << amount;
}

TEST(Commission, NegativeAmountGivesNegativeProductRaisedToTheMinimum)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    // Even a minimum of 0 lifts a negative commission.
    EXPECT_EQ(commission_units(t, -100'000), 0);
    t.broker(0).minimum = yen(500);
    EXPECT_EQ(commission_units(t, -100'000), 5'000'000);
    t.broker(0).minimum = yen(-2'000);
    EXPECT_EQ(commission_units(t, -100'000), -11'500'000);
}

TEST(YearlyCost, WorkedPlanIsExactToTheTenThousandthOfAYen)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    const auto cost = yearly_cost(t.broker(0), plan_of(preset_plan(0, 0)));
    ASSERT_TRUE(cost.ok());
    EXPECT_EQ(cost->units(), 4'414'999'883);
    EXPECT_EQ(general_form(*cost), "441499.9883");
    EXPECT_EQ(currency_form(*cost), "¥441,500");
}

TEST(YearlyCost, CountsAndZeroRows)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    TradePlan plan{};
    EXPECT_EQ(yearly_cost(t.broker(0), plan)->units(), 20'000'000); // the fee alone
    plan[2] = {yen(1'000'000), 0};
    EXPECT_EQ(yearly_cost(t.broker(0), plan)->units(), 20'000'000);
    t.broker(0).brackets.at(0).add_on = yen(100);
    t.broker(0).minimum = yen(300);
    plan[0] = {yen(0), 3};
    EXPECT_EQ(yearly_cost(t.broker(0), plan)->units(), 20'000'000 + 3 * 3'000'000);
    plan[0] = {yen(1'000'000), -2};
    EXPECT_EQ(yearly_cost(t.broker(0), plan)->units(), 20'000'000 - 2 * 116'000'000);

    BrokerTable zero;
    plan[1] = {yen(5'000'000), 7};
    EXPECT_EQ(yearly_cost(zero.broker(0), plan)->units(), 0);
}

TEST(YearlyCost, EveryArithmeticStepReportsOverflow)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    TradePlan plan{};
    // The double product leaves the currency range.
    plan[0] = {Money::max(), 1};
    t.broker(0).brackets.at(5).rate = 2.0f;
    EXPECT_EQ(yearly_cost(t.broker(0), plan).error().step, CostStep::TradeCommission);
    // Product plus add-on.
    t.broker(0).brackets.at(5).rate = 0.0f;
    t.broker(0).brackets.at(5).add_on = Money::max();
    t.broker(0).brackets.at(4).upper_bound = yen(1);
    plan[0] = {yen(2), 1};
    t.broker(0).brackets.at(5).rate = 1.0f;
    EXPECT_FALSE(trade_commission(t.broker(0), yen(2)).has_value());
    // Commission times count.
    test::set_standard_schedule(t, 0);
    t.broker(0).brackets.at(5).add_on = yen(10'000'000);
    plan[0] = {yen(100'000'000), INT32_MAX};
    EXPECT_EQ(yearly_cost(t.broker(0), plan).error().step, CostStep::TimesCount);
    // The running sum.
    t.broker(0).brackets.at(5).add_on = yen(272'500);
    plan[0] = {yen(100'000'000), 2'000'000'000};
    plan[1] = {yen(100'000'000), 2'000'000'000};
    EXPECT_TRUE(trade_commission(t.broker(0), yen(100'000'000)).has_value());
    EXPECT_EQ(yearly_cost(t.broker(0), plan).error().step, CostStep::RowSum);
    EXPECT_EQ(yearly_cost(t.broker(0), plan).error().row, 1u);
    // The fee last.
    plan = TradePlan{};
    plan[0] = {yen(1'000'000), 1};
    t.broker(0).yearly_fee = Money::max();
    EXPECT_EQ(yearly_cost(t.broker(0), plan).error().step, CostStep::YearlyFee);
}

TEST(YearlyCosts, AllOrNothingNamesTheBroker)
{
    BrokerTable t;
    t.set_last_broker(2);
    for (int r = 0; r <= 2; ++r)
        test::set_standard_schedule(t, r);
    t.broker(1).yearly_fee = Money::max();
    const auto r = compute_yearly_costs(t, plan_of(preset_plan(1, 1)));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().broker, 1);

    t.broker(1).yearly_fee = yen(0);
    const auto ok = compute_yearly_costs(t, plan_of(preset_plan(0, 0)));
    ASSERT_TRUE(ok.ok());
    EXPECT_EQ(ok.value()[0].units(), 4'414'999'883);
    EXPECT_EQ(ok.value()[1].units(), 4'394'999'883);
    EXPECT_EQ(ok.value().size(), 3u); // rows above the last one in use are not computed
}

TEST(CostOrder, AscendingExactCostsEqualOnesKeepTableOrder)
{
    YearlyCosts costs = {yen(30'000), yen(10'000), yen(20'000)};
    auto order = cost_order(costs);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 0}));

    costs = {Money::from_units(4'415'000'000), Money::from_units(4'414'999'883)};
    order = cost_order(costs);
    EXPECT_EQ(order, (std::vector<int>{1, 0}));

    costs[1] = costs[0];
    order = cost_order(costs);
    EXPECT_EQ(order, (std::vector<int>{0, 1}));
}

TEST(CostOrder, CoversTheTwentyFirstRow)
{
    YearlyCosts costs;
    for (int r = 0; r <= 20; ++r)
        costs.push_back(yen(1000 + (r % 3))); // ties across the whole table
    costs[20] = yen(5);
    const auto order = cost_order(costs);
    ASSERT_EQ(order.size(), 21u);
    EXPECT_EQ(order[0], 20);
    EXPECT_EQ(order[1], 0);
    EXPECT_EQ(order[2], 3);
    EXPECT_EQ(order[20], 17);
}

TEST(PresetPlans, FourPlansWithTheirTradeCounts)
{
    const int totals[4] = {33, 145, 45, 210};
    int i = 0;
    for (const PresetPlan& p : preset_plans()) {
        int sum = 0;
        for (const PlanRow& row : plan_of(p))
            sum += row.count;
        EXPECT_EQ(sum, totals[i++]) << p.key;
    }
    EXPECT_EQ(&preset_plan(1, 0), preset_plan_by_key("high-occasional"));
    EXPECT_EQ(&preset_plan(7, 9), preset_plan_by_key("high-frequent"));
    EXPECT_EQ(preset_plan(0, 0).amount[4], "5,000,000");
    EXPECT_EQ(preset_plan(0, 0).count[4], "3");
    EXPECT_EQ(preset_plan_by_key("medium"), nullptr);
}

TEST(TradePlan, NamesTheFirstBadBox)
{
    PlanTexts texts = preset_plan(0, 0).texts();
    texts.count[1] = "abc";
    texts.amount[3] = "x";
    auto r = parse_plan(texts);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().message(), "取引の予定の 2 行目の回数が数値ではありません: 「abc」。"
                                   "1 年間の取引の回数を数字で入れて下さい（しないなら 0）。");
    texts.count[1] = "3,000,000,000";
    r = parse_plan(texts);
    EXPECT_EQ(r.error().message(),
              "取引の予定の 2 行目の回数が大きすぎます: 「3,000,000,000」。回数は 21 億回までにして下さい。");
    texts.count[1] = "-3,000,000,000";
    r = parse_plan(texts);
    EXPECT_EQ(
        r.error().message(),
        "取引の予定の 2 行目の回数が小さすぎます: 「-3,000,000,000」。回数は -21 億回より大きくして下さい。");
    texts.amount[0] = "-1000000000000000";
    r = parse_plan(texts);
    EXPECT_EQ(r.error().message(), "取引の予定の 1 行目の約定代金が小さすぎます: 「-1000000000000000」。"
                                   "-922 兆円より大きい金額にして下さい。");
    texts.amount[0] = "1,000,000";
    texts.count[1] = "2.5";
    texts.amount[3] = "";
    r = parse_plan(texts);
    EXPECT_EQ(r.error().message(), "取引の予定の 4 行目の約定代金が空です。"
                                   "1 回の取引の約定代金を円で入れて下さい（例: 1,000,000）。");
}
