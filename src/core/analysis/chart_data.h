#pragma once

#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis/cheapest.h"
#include "core/fees/commission.h"
#include "core/fees/trade_plan.h"

namespace fee {

// One trade of `amount` yen and its exact commission.
struct CommissionPoint {
    std::int64_t amount = 0;
    Money commission;
};

// Where some broker's figure leaves the money range, nobody is ranked: the
// row of such a run of amounts or factors.
inline constexpr int kNoCheapest = -1;

// Every broker's commission for one trade against the amount, and who is
// cheapest where.
struct CommissionChart {
    AmountRange range;
    // Per table row, amounts ascending, only where the commission fits.
    std::vector<std::vector<CommissionPoint>> curves;
    // Per table row, where the commission leaves the money range: no point of
    // the curve lies there, so a line between two points across one is a gap.
    std::vector<std::vector<AmountRange>> overflows;
    // Exact over the amounts where every broker fits; runs of kNoCheapest
    // cover the rest.
    std::vector<CheapestRun> cheapest;
    // Where the range cannot be ranked at all (a daily plan with more steps
    // in it than can be), why, and `cheapest` is empty.
    std::string unranked;

    // The rows whose commission leaves the money range somewhere in `run`:
    // why nobody is cheapest there.
    std::vector<int> overflowing_within(AmountRange run) const;
};

inline constexpr AmountRange kChartAmounts{10'000, 100'000'000};

// Both sides of every step and kink of every broker, so that they show where
// they really are, and enough amounts between them that straight segments on a
// logarithmic amount axis follow the curves, per participant (the brokers,
// then the daily plans). 1 <= range.from.
CommissionChart commission_chart(const Participants& participants, AmountRange range = kChartAmounts);

// Why the boxes of the chart's range were refused, and which box to fix.
struct RangeRefusal {
    enum class Box { First, Last };
    Box box = Box::First;
    std::string message; // naming the box
};

// The range typed as the chart's 最初の金額 and 最後の金額: whole yen as the
// companion's --from and --to take them, from 1 up (the amount axis is
// logarithmic), the first not above the last.
Outcome<AmountRange, RangeRefusal> chart_range(QStringView from, QStringView to);

// Factors first..last (indexes) over which broker `row` stays the cheapest.
struct YearlyRun {
    std::size_t first = 0;
    std::size_t last = 0;
    int row = 0;

    bool operator==(const YearlyRun&) const = default;
};

// Factors first..last (indexes), both ends included: the yearly chart's
// counterpart of an AmountRange.
struct FactorRange {
    std::size_t first = 0;
    std::size_t last = 0;

    bool operator==(const FactorRange&) const = default;
};

// The plan's counts scaled from 0.1x to 10x, each broker's yearly cost at each
// scale, fee included.
struct YearlyChart {
    std::vector<double> factors; // ascending; 1 is among them
    // Per factor: the counts, rounded to whole trades with halves to even as
    // the plan's boxes read them, so that every cost is one the result grid
    // would show for that plan.
    std::vector<std::array<std::int64_t, kPlanRows>> counts;
    // Per table row, per factor; empty where the cost leaves the money range.
    std::vector<std::vector<std::optional<Money>>> costs;
    // Per table row, the runs of factors where its cost is empty, ascending and
    // apart, as CommissionChart::overflows for amounts.
    std::vector<std::vector<FactorRange>> overflows;
    // Per factor, the lowest row on a tie; kNoCheapest where any cost is empty.
    std::vector<int> cheapest;

    // The maximal runs of factors that share the cheapest broker, or
    // kNoCheapest, in order.
    std::vector<YearlyRun> runs() const;
    // The rows whose cost is empty somewhere in `run`: why nobody is cheapest there.
    std::vector<int> overflowing_within(const YearlyRun& run) const;
    // The index of the factor nearest to `factor` on the logarithmic axis (the
    // lower one on a tie), for the value under the mouse.
    std::size_t nearest_factor(double factor) const;
};

inline constexpr int kFactorsPerDecade = 40;

YearlyChart yearly_chart(const Participants& participants, const TradePlan& plan);

} // namespace fee
