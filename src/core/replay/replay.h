#pragma once

#include <string>
#include <vector>

#include "core/fees/broker_table.h"
#include "core/fees/participants.h"
#include "core/outcome.h"
#include "core/replay/history.h"

namespace fee {

// A history's trades priced at one broker of the table, each with the same
// per-trade formula as the ranking.
struct ReplayCost {
    int broker = 0;    // table row
    Money commission;  // every trade's
    Money yearly_fees; // the yearly fee once for each calendar year with a priced trade
    Money total;
};

// Where a figure left the money range: at a trade, or (trade -1) adding the
// yearly fees.
struct ReplayOverflow {
    int broker = 0;
    int trade = -1;
};

// Every broker of the table, then every daily plan, cheapest total first,
// equal totals in that order. With `details`, every trade's commission at
// every participant, as details[trade][participant]; a plan's day fee stands
// at the day's first trade, its other trades at 0. An overflow anywhere gives
// no figure at all.
Outcome<std::vector<ReplayCost>, ReplayOverflow>
price_history(const Participants& participants, const History& history,
              std::vector<std::vector<Money>>* details = nullptr);

// The broker named, and the trade's line, as `compare` names an overflow.
std::string replay_overflow_message(const Participants& participants, const History& history,
                                    const ReplayOverflow& overflow);

// The calendar years that hold a trade.
int trading_years(const History& history);

// For the chart: month by month (yyyymm, the months from the first trade's
// to the last's), the cost so far at `broker`, each year's fee counted in
// its first month with a trade. Empty on overflow.
struct MonthlyCost {
    int month = 0; // yyyymm
    Money cost;
};
std::vector<MonthlyCost> monthly_costs(const Broker& broker, const History& history);
std::vector<MonthlyCost> monthly_costs(const Participants& participants, int i, const History& history);
// The same for the fee column's figures, as the file says they were paid.
std::vector<MonthlyCost> monthly_paid(const History& history);

} // namespace fee
