#pragma once

#include <optional>

#include "core/fees/broker_table.h"

namespace fee::rule {

// The commission of one trade, inline for the loops that price many trades
// (the yearly cost, the replay); everyone else calls trade_commission().

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

} // namespace fee::rule
