#include "core/fees/daily_plan.h"

#include "core/fees/commission_rule.h"

namespace fee {

std::optional<Money> day_fee(const DailyPlan& plan, Money total)
{
    return rule::day_fee_of(plan, total);
}

} // namespace fee
