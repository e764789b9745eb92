#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "broker_table/broker_table.h"
#include "broker_table/result.h"
#include "simulation/trade_plan.h"

namespace fee {

// Bracket of amount `a_money` in row `a_com`: the last of the five bounds that
// the amount strictly exceeds decides, so bounds out of order still give an answer.
std::uint8_t z_sort_kubun(const BrokerTable& table, Money a_money, int a_com);

// One trade: amount x rate in double, rounded to 1/10,000 yen ties to even, plus
// the add-on, raised to the minimum, then capped by a nonzero maximum.
// Empty on overflow.
std::optional<Money> trade_commission(const BrokerTable& table, int broker, Money amount);

// Commission x count over the five rows, then the yearly fee. Empty on overflow.
std::optional<Money> yearly_cost(const BrokerTable& table, int broker, const TradePlan& plan);

struct CostOverflow {
    int broker = 0;
};

// Every broker's yearly cost, rows 0..com_last. All or nothing: an overflow in
// any broker returns which one, and no figure at all.
using YearlyCosts = std::array<Money, kTableRows>;
Result<YearlyCosts, CostOverflow> compute_yearly_costs(const BrokerTable& table, const TradePlan& plan);

// The result grid's order: table rows by ascending exact cost; equal costs keep
// table order. Covers rows 0..com_last of com_cost.
std::array<std::uint8_t, kTableRows> cost_order(const BrokerTable& table);

} // namespace fee
