#pragma once

#include <algorithm>
#include <optional>

#include "core/fees/broker_table.h"
#include "core/fees/daily_plan.h"

namespace fee::rule {

// The commission of one trade and a daily plan's fee for a day, inline for
// the loops that price many trades (the yearly cost, the replay); everyone
// else calls trade_commission() and day_fee().

// The broker's row is looked up (and its index checked) by the caller, once per
// broker; the bracket indexes below come from fixed loops and stay within 0..5.
inline std::size_t bracket_of(const Broker& broker, Money amount)
{
    std::size_t result = 0;
    for (std::size_t k = 0; k < kBoundedBrackets; ++k)
        if (amount > broker.brackets[k].upper_bound)
            result = k + 1;
    return result;
}

inline std::optional<Money> commission_of(const Broker& broker, Money amount)
{
    const Bracket& bracket = broker.brackets[bracket_of(broker, amount)];
    const double product = amount.to_double_yen() * static_cast<double>(bracket.rate);
    auto c = Money::from_double_yen_half_even(product);
    if (!c)
        return std::nullopt;
    c = c->plus(bracket.add_on);
    if (!c)
        return std::nullopt;
    if (*c < broker.minimum)
        c = broker.minimum;
    if (broker.maximum != Money{} && *c > broker.maximum)
        c = broker.maximum;
    return c;
}

// The rule of day_fee(), written once.
inline std::optional<Money> day_fee_of(const DailyPlan& plan, Money total)
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

} // namespace fee::rule
