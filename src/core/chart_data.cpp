#include "core/chart_data.h"

#include <algorithm>
#include <cmath>

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

std::vector<CommissionPoint> curve(const Broker& broker, const std::vector<CommissionPiece>& pieces,
                                   std::vector<std::int64_t> amounts)
{
    for (const CommissionPiece& piece : pieces) {
        amounts.push_back(piece.from);
        amounts.push_back(piece.to);
    }
    std::sort(amounts.begin(), amounts.end());
    amounts.erase(std::unique(amounts.begin(), amounts.end()), amounts.end());
    std::vector<CommissionPoint> points;
    points.reserve(amounts.size());
    for (const std::int64_t a : amounts) // every amount of the range was checked for overflow
        points.push_back({a, *trade_commission(broker, as_money(a))});
    return points;
}

// Whole trades, halves to even, like the count boxes.
std::int64_t scaled(std::int32_t count, double factor)
{
    return static_cast<std::int64_t>(std::nearbyint(static_cast<double>(count) * factor));
}

} // namespace

Outcome<CommissionChart, TradeOverflow> commission_chart(const BrokerTable& table, AmountRange range)
{
    CommissionChart chart{range, {}, {}};
    const std::vector<std::int64_t> amounts = sample_amounts(range);
    for (int b = 0; b <= table.last_row(); ++b) {
        const auto pieces = commission_pieces(table, b, range);
        if (!pieces)
            return pieces.error();
        chart.curves.push_back(curve(table.broker(b), pieces.value(), amounts));
    }
    auto runs = cheapest_runs(table, range);
    if (!runs)
        return runs.error();
    chart.cheapest = std::move(runs).value();
    return chart;
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

Outcome<YearlyChart, CostOverflow> yearly_chart(const BrokerTable& table, const TradePlan& plan)
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
    for (int b = 0; b <= table.last_row(); ++b) {
        const Broker& broker = table.broker(b);
        // One trade's commission does not change with the counts: taken once a
        // row, and handed out by reference, which keeps the loop as fast as
        // when it was written out here.
        std::array<std::optional<Money>, kPlanRows> commissions;
        for (std::size_t r = 0; r < kPlanRows; ++r)
            commissions[r] = trade_commission(broker, plan[r].amount);
        std::vector<Money> costs;
        for (std::size_t i = 0; i < chart.factors.size(); ++i) {
            const auto& counts = chart.counts[i];
            const auto cost = yearly_cost_steps(
                broker.yearly_fee,
                [&](std::size_t r) -> const std::optional<Money>& { return commissions[r]; },
                [&](std::size_t r) { return counts[r]; });
            if (!cost)
                return CostOverflow{b};
            costs.push_back(*cost);
            if (b > 0 && *cost < chart.costs[static_cast<std::size_t>(chart.cheapest[i])][i])
                chart.cheapest[i] = b;
        }
        chart.costs.push_back(std::move(costs));
    }
    return chart;
}

} // namespace fee
