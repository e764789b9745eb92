#pragma once

#include "core/fees/broker_table.h"

namespace fee::test {

// The schedule a newly added broker gets, fee 2,000, no minimum or maximum.
inline void set_standard_schedule(BrokerTable& t, int row)
{
    const std::int64_t bounds[5] = {1'000'000, 5'000'000, 10'000'000, 30'000'000, 50'000'000};
    const float rates[6] = {0.0115f, 0.009f, 0.007f, 0.00575f, 0.00375f, 0.0f};
    const std::int64_t adds[6] = {0, 2'500, 12'500, 25'000, 85'000, 272'500};
    for (int j = 0; j < 6; ++j) {
        if (j < 5)
            t.broker(row).brackets.at(j).upper_bound = *Money::from_yen(bounds[j]);
        t.broker(row).brackets.at(j).rate = rates[j];
        t.broker(row).brackets.at(j).add_on = *Money::from_yen(adds[j]);
    }
    t.broker(row).yearly_fee = *Money::from_yen(2'000);
    t.broker(row).maximum = Money{};
    t.broker(row).minimum = Money{};
}

} // namespace fee::test
