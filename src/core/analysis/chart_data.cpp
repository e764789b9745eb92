#include "core/analysis/chart_data.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>

#include "core/editing/box_message.h"
#include "core/money/number_text.h"
#include "core/text/message_text.h"

namespace fee {

namespace {

// Samples per tenfold step of the amount: enough that a line with an add-on,
// a curve on the logarithmic axis, looks smooth.
constexpr int kAmountsPerDecade = 32;

std::vector<std::int64_t> sample_amounts(AmountRange range)
{
    std::vector<std::int64_t> amounts{range.from, range.to};
    if (range.from > 0) {
        const double first = std::log10(static_cast<double>(range.from));
        const double last = std::log10(static_cast<double>(range.to));
        for (int k = 1; first + k / double(kAmountsPerDecade) < last; ++k)
            amounts.push_back(std::llround(std::pow(10.0, first + k / double(kAmountsPerDecade))));
    }
    return amounts;
}

// The stretches of `range` outside every one of `out`.
std::vector<AmountRange> outside(AmountRange range, std::vector<AmountRange> out)
{
    std::sort(out.begin(), out.end(),
              [](const AmountRange& a, const AmountRange& b) { return a.from < b.from; });
    std::vector<AmountRange> in;
    std::int64_t next = range.from;
    for (const AmountRange& o : out) {
        if (o.from > next)
            in.push_back({next, o.from - 1});
        next = std::max(next, o.to + 1);
    }
    if (next <= range.to)
        in.push_back({next, range.to});
    return in;
}

std::vector<CommissionPoint> curve(const Participants& participants, int row,
                                   const std::vector<AmountRange>& fits,
                                   const std::vector<std::int64_t>& samples)
{
    std::vector<std::int64_t> amounts;
    for (const AmountRange& stretch : fits) {
        // A daily plan with more steps than can be listed is drawn from the
        // samples alone: its steps are too fine to see at this range.
        const auto pieces = commission_pieces(participants, row, stretch);
        for (const CommissionPiece& piece : pieces ? pieces.value() : std::vector<CommissionPiece>{}) {
            amounts.push_back(piece.from);
            amounts.push_back(piece.to);
        }
        std::copy_if(samples.begin(), samples.end(), std::back_inserter(amounts),
                     [stretch](std::int64_t a) { return stretch.from <= a && a <= stretch.to; });
    }
    std::sort(amounts.begin(), amounts.end());
    amounts.erase(std::unique(amounts.begin(), amounts.end()), amounts.end());
    std::vector<CommissionPoint> points;
    points.reserve(amounts.size());
    for (const std::int64_t a : amounts) // every amount of `fits` was checked for overflow
        points.push_back({a, *participants.commission(row, Money::from_whole_yen(a))});
    return points;
}

// The runs over each stretch where every broker fits, and a run of
// kNoCheapest for each stretch between them; or why the range cannot be ranked.
Outcome<std::vector<CheapestRun>, TradeOverflow> ranked(const Participants& participants, AmountRange range,
                                                        const std::vector<AmountRange>& fits)
{
    std::vector<CheapestRun> runs;
    std::int64_t next = range.from;
    for (const AmountRange& stretch : fits) {
        if (stretch.from > next)
            runs.push_back({next, stretch.from - 1, kNoCheapest, {}, {}});
        const auto part = cheapest_runs(participants, stretch);
        if (!part)
            return part.error();
        runs.insert(runs.end(), part->begin(), part->end());
        next = stretch.to + 1;
    }
    if (next <= range.to)
        runs.push_back({next, range.to, kNoCheapest, {}, {}});
    return runs;
}

// Whole trades, halves to even, like the count boxes.
std::int64_t scaled(std::int32_t count, double factor)
{
    return static_cast<std::int64_t>(std::nearbyint(static_cast<double>(count) * factor));
}

std::vector<FactorRange> empty_runs(const std::vector<std::optional<Money>>& costs)
{
    std::vector<FactorRange> runs;
    for (std::size_t i = 0; i < costs.size(); ++i) {
        if (costs[i])
            continue;
        if (!runs.empty() && runs.back().last + 1 == i)
            runs.back().last = i;
        else
            runs.push_back({i, i});
    }
    return runs;
}

const BoxHints kRangeHints{"1 円以上の金額を入れて下さい。",
                           "「1,000,000」や「¥1,000,000」のように円単位で入れて下さい。", BoxRange::Money};

// One end of the chart's range, whole yen from 1 up.
Outcome<std::int64_t> range_end(const std::string& box, QStringView text)
{
    return whole_yen_box(box, text, kRangeHints);
}

} // namespace

CommissionChart commission_chart(const Participants& participants, AmountRange range)
{
    assert(1 <= range.from);
    CommissionChart chart{range, {}, {}, {}, {}};
    const std::vector<std::int64_t> samples = sample_amounts(range);
    std::vector<AmountRange> anyone;
    for (int b = 0; b < participants.size(); ++b) {
        std::vector<AmountRange> overflows = overflow_stretches(participants, b, range);
        chart.curves.push_back(curve(participants, b, outside(range, overflows), samples));
        anyone.insert(anyone.end(), overflows.begin(), overflows.end());
        chart.overflows.push_back(std::move(overflows));
    }
    const auto runs = ranked(participants, range, outside(range, std::move(anyone)));
    if (runs)
        chart.cheapest = runs.value();
    else
        chart.unranked = trade_overflow_message(participants, runs.error());
    return chart;
}

Outcome<AmountRange, RangeRefusal> chart_range(QStringView from, QStringView to)
{
    using Box = RangeRefusal::Box;
    const auto first = range_end("最初の金額", from);
    if (!first)
        return RangeRefusal{Box::First, first.error().message};
    const auto last = range_end("最後の金額", to);
    if (!last)
        return RangeRefusal{Box::Last, last.error().message};
    if (*first > *last)
        return RangeRefusal{
            Box::First, "最初の金額 (" + currency_form(Money::from_whole_yen(*first)).toStdString() +
                            ") が最後の金額 (" + currency_form(Money::from_whole_yen(*last)).toStdString() +
                            ") より大きくなっています。"};
    return AmountRange{*first, *last};
}

std::vector<int> CommissionChart::overflowing_within(AmountRange run) const
{
    std::vector<int> rows;
    for (std::size_t b = 0; b < overflows.size(); ++b)
        if (std::any_of(overflows[b].begin(), overflows[b].end(),
                        [&](const AmountRange& o) { return o.from <= run.to && run.from <= o.to; }))
            rows.push_back(static_cast<int>(b));
    return rows;
}

std::vector<int> YearlyChart::overflowing_within(const YearlyRun& run) const
{
    std::vector<int> rows;
    for (std::size_t b = 0; b < overflows.size(); ++b)
        if (std::any_of(overflows[b].begin(), overflows[b].end(),
                        [&](const FactorRange& o) { return o.first <= run.last && run.first <= o.last; }))
            rows.push_back(static_cast<int>(b));
    return rows;
}

std::vector<YearlyRun> YearlyChart::runs() const
{
    std::vector<YearlyRun> found;
    for (std::size_t i = 0; i < cheapest.size(); ++i) {
        if (!found.empty() && found.back().row == cheapest[i])
            found.back().last = i;
        else
            found.push_back({i, i, cheapest[i]});
    }
    return found;
}

std::size_t YearlyChart::nearest_factor(double factor) const
{
    std::size_t nearest = 0;
    for (std::size_t i = 1; i < factors.size(); ++i)
        if (std::abs(std::log(factors[i] / factor)) < std::abs(std::log(factors[nearest] / factor)))
            nearest = i;
    return nearest;
}

YearlyChart yearly_chart(const Participants& participants, const TradePlan& plan)
{
    YearlyChart chart;
    for (int k = -kFactorsPerDecade; k <= kFactorsPerDecade; ++k) {
        const double factor = std::pow(10.0, k / double(kFactorsPerDecade));
        chart.factors.push_back(factor);
        std::array<std::int64_t, kPlanRows> counts{};
        for (std::size_t r = 0; r < kPlanRows; ++r)
            counts[r] = scaled(plan[r].count, factor);
        chart.counts.push_back(counts);
    }
    chart.cheapest.assign(chart.factors.size(), 0);
    for (int b = 0; b < participants.size(); ++b) {
        // One trade's commission does not change with the counts: taken once a
        // row, and handed out by reference, which keeps the loop as fast as
        // when it was written out here.
        std::array<std::optional<Money>, kPlanRows> commissions;
        for (std::size_t r = 0; r < kPlanRows; ++r)
            commissions[r] = participants.commission(b, plan[r].amount);
        const Money yearly_fee = participants.yearly_fee(b);
        std::vector<std::optional<Money>> costs;
        for (std::size_t i = 0; i < chart.factors.size(); ++i) {
            const auto& counts = chart.counts[i];
            const auto cost = yearly_cost_steps(
                yearly_fee, [&](std::size_t r) -> const std::optional<Money>& { return commissions[r]; },
                [&](std::size_t r) { return counts[r]; });
            int& cheapest = chart.cheapest[i];
            costs.push_back(cost ? std::optional(*cost) : std::nullopt);
            if (!cost)
                cheapest = kNoCheapest;
            else if (b > 0 && cheapest != kNoCheapest &&
                     *cost < *chart.costs[static_cast<std::size_t>(cheapest)][i])
                cheapest = b;
        }
        chart.overflows.push_back(empty_runs(costs));
        chart.costs.push_back(std::move(costs));
    }
    return chart;
}

} // namespace fee
