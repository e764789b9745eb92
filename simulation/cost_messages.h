#pragma once

#include <string>

#include "broker_table/broker_table.h"
#include "simulation/commission.h"

namespace fee {

// "「名前」の年間費用が大きすぎて計算できません…", naming the broker as the user sees it.
std::string cost_overflow_message(const BrokerTable& table, const CostOverflow& overflow);

} // namespace fee
