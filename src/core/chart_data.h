#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/cheapest.h"
#include "core/commission.h"
#include "core/trade_plan.h"

namespace fee {

// One trade of `amount` yen and its exact commission.
struct CommissionPoint {
    std::int64_t amount = 0;
    Money commission;
};

// Every broker's commission for one trade against the amount, and who is
// cheapest where.
struct CommissionChart {
    AmountRange range;
    std::vector<std::vector<CommissionPoint>> curves; // per table row, amounts ascending
    std::vector<CheapestRun> cheapest;
};

inline constexpr AmountRange kChartAmounts{10'000, 100'000'000};

// Both sides of every step and kink of every broker, so that they show where
// they really are, and enough amounts between them that straight segments on a
// logarithmic amount axis follow the curves.
Outcome<CommissionChart, TradeOverflow> commission_chart(const BrokerTable& table,
                                                         AmountRange range = kChartAmounts);

// Factors first..last (indexes) over which broker `row` stays the cheapest.
struct YearlyRun {
    std::size_t first = 0;
    std::size_t last = 0;
    int row = 0;

    bool operator==(const YearlyRun&) const = default;
};

// The plan's counts scaled from 0.1x to 10x, each broker's yearly cost at each
// scale, fee included.
struct YearlyChart {
    std::vector<double> factors; // ascending; 1 is among them
    // Per factor: the counts, rounded to whole trades with halves to even as
    // the plan's boxes read them, so that every cost is one the result grid
    // would show for that plan.
    std::vector<std::array<std::int64_t, kPlanRows>> counts;
    std::vector<std::vector<Money>> costs; // per table row, per factor
    std::vector<int> cheapest;             // per factor, the lowest row on a tie

    // The maximal runs of factors that share the cheapest broker, in order.
    std::vector<YearlyRun> runs() const;
    // The index of the factor nearest to `factor` on the logarithmic axis (the
    // lower one on a tie), for the value under the mouse.
    std::size_t nearest_factor(double factor) const;
};

inline constexpr int kFactorsPerDecade = 40;

Outcome<YearlyChart, CostOverflow> yearly_chart(const BrokerTable& table, const TradePlan& plan);

} // namespace fee
