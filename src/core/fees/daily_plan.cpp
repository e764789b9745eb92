#include "core/fees/daily_plan.h"

#include <algorithm>

namespace fee {

std::optional<Money> day_fee(const DailyPlan& plan, Money total)
{
    const auto within = std::find_if(plan.tiers.begin(), plan.tiers.end(), [total](const DailyTier& t) {
        return total <= Money::from_whole_yen(t.up_to);
    });
    std::optional<Money> fee;
    if (within != plan.tiers.end()) {
        fee = within->fee;
    } else {
        const DailyTier& last = plan.tiers.back();
        fee = last.fee;
        if (plan.above) {
            // Whole steps begun: (total - last) / per, rounded up, in 1/10,000 yen.
            const std::int64_t beyond = total.units() - Money::from_whole_yen(last.up_to).units();
            const std::int64_t per = plan.above->per * Money::kScale;
            const std::int64_t steps = beyond / per + (beyond % per != 0 ? 1 : 0);
            const auto more = plan.above->fee.times(steps);
            fee = more ? fee->plus(*more) : std::nullopt;
        }
    }
    // A cap holds however far beyond it the steps would go.
    if (plan.maximum != Money{} && (!fee || *fee > plan.maximum))
        fee = plan.maximum;
    return fee;
}

} // namespace fee
