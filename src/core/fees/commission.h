#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "core/fees/broker_table.h"
#include "core/fees/participants.h"
#include "core/fees/trade_plan.h"
#include "core/outcome.h"

namespace fee {

// The bracket of `amount`: the last of the five bounds that the amount strictly
// exceeds decides (0 when it exceeds none), so bounds out of order still give an
// answer, and a bound of 0 sends every positive amount past it.
int bracket_index(const Broker& broker, Money amount);

// One trade: amount x rate in double, rounded to 1/10,000 yen ties to even, plus
// the add-on, raised to the minimum, then capped by a nonzero maximum.
// Empty on overflow.
std::optional<Money> trade_commission(const Broker& broker, Money amount);

// The steps of the yearly cost, in the order they are taken.
enum class CostStep {
    TradeCommission, // the commission of one trade of a row
    TimesCount,      // that commission times the row's count
    RowSum,          // adding the row to the sum of the rows before it
    YearlyFee,       // adding the yearly fee to the sum of all rows
};

// The step at which a yearly cost left the money range, and the plan's row it
// was at (kPlanRows for the yearly fee, which follows the rows). The row is a
// full word on purpose: with two ints GCC 12 returns the result in registers
// and rebuilds the cost from two halves on the way, a stall that made one
// broker-year an eighth slower.
struct CostStepOverflow {
    CostStep step = CostStep::TradeCommission;
    std::size_t row = 0;
};

// The yearly cost, row by row: commission(r) x count(r) added up, then the
// yearly fee. The one place the rule is written: the plan's cost, the chart's
// costs at scaled counts (beyond 32 bits) and the overflow message's cause all
// come from here. A template, so that each caller's commission inlines in the loop.
template <typename CommissionOfRow, typename CountOfRow>
Outcome<Money, CostStepOverflow> yearly_cost_steps(Money yearly_fee, CommissionOfRow commission,
                                                   CountOfRow count)
{
    // `total` stays an optional: so GCC 12 keeps it in a register, where an
    // unwrapped Money went through memory and cost the chart a third of its time.
    std::optional<Money> total = Money{};
    for (std::size_t r = 0; r < kPlanRows; ++r) {
        const std::optional<Money>& one = commission(r);
        if (!one)
            return CostStepOverflow{CostStep::TradeCommission, r};
        const std::optional<Money> part = one->times(count(r));
        if (!part)
            return CostStepOverflow{CostStep::TimesCount, r};
        total = total->plus(*part);
        if (!total)
            return CostStepOverflow{CostStep::RowSum, r};
    }
    total = total->plus(yearly_fee);
    if (!total)
        return CostStepOverflow{CostStep::YearlyFee, kPlanRows};
    return *total;
}

// The plan's yearly cost at one broker; at a participant, a daily plan's
// trades each a day of its own.
Outcome<Money, CostStepOverflow> yearly_cost(const Broker& broker, const TradePlan& plan);
Outcome<Money, CostStepOverflow> yearly_cost(const Participants& participants, int i, const TradePlan& plan);

// The yearly cost of every broker in use, in table order.
using YearlyCosts = std::vector<Money>;

struct CostOverflow {
    int broker = 0;
};

// All or nothing: an overflow in any broker returns which one, and no figure
// at all. `broker` is a participant's index where participants are compared.
Outcome<YearlyCosts, CostOverflow> compute_yearly_costs(const Participants& participants,
                                                        const TradePlan& plan);

// The result grid's order: table rows by ascending exact cost; equal costs keep
// table order.
std::vector<int> cost_order(const YearlyCosts& costs);

} // namespace fee
