#pragma once

#include <string>

#include "core/fees/broker_table.h"
#include "core/fees/commission.h"
#include "core/fees/trade_plan.h"

namespace fee {

// "2 社目「みなと証券」の年間費用が大きすぎて計算できません…", naming the broker as
// the user sees it, for an overflow under `plan`: it says whether the broker's
// own schedule (rate, add-on, minimum, yearly fee) or the plan's amount or
// count is too large, and on which row of the plan.
std::string cost_overflow_message(const Participants& participants, const CostOverflow& overflow,
                                  const TradePlan& plan);

} // namespace fee
