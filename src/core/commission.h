#pragma once

#include <optional>
#include <vector>

#include "core/broker_table.h"
#include "core/outcome.h"
#include "core/trade_plan.h"

namespace fee {

// The bracket of `amount`: the last of the five bounds that the amount strictly
// exceeds decides (0 when it exceeds none), so bounds out of order still give an
// answer, and a bound of 0 sends every positive amount past it.
int bracket_index(const Broker& broker, Money amount);

// One trade: amount x rate in double, rounded to 1/10,000 yen ties to even, plus
// the add-on, raised to the minimum, then capped by a nonzero maximum.
// Empty on overflow.
std::optional<Money> trade_commission(const Broker& broker, Money amount);

// Commission x count over the five rows, then the yearly fee. Empty on overflow.
std::optional<Money> yearly_cost(const Broker& broker, const TradePlan& plan);

// The yearly cost of every broker in use, in table order.
using YearlyCosts = std::vector<Money>;

struct CostOverflow {
    int broker = 0;
};

// All or nothing: an overflow in any broker returns which one, and no figure at all.
Outcome<YearlyCosts, CostOverflow> compute_yearly_costs(const BrokerTable& table, const TradePlan& plan);

// The result grid's order: table rows by ascending exact cost; equal costs keep
// table order.
std::vector<int> cost_order(const YearlyCosts& costs);

} // namespace fee
