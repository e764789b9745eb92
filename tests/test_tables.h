#pragma once

#include "broker_table/broker_table.h"

namespace fee::test {

// The schedule a newly added broker gets, fee 2,000, no minimum or maximum.
inline void set_standard_schedule(BrokerTable& t, int row)
{
    const std::int64_t bounds[5] = {1'000'000, 5'000'000, 10'000'000, 30'000'000, 50'000'000};
    const float rates[6] = {0.0115f, 0.009f, 0.007f, 0.00575f, 0.00375f, 0.0f};
    const std::int64_t adds[6] = {0, 2'500, 12'500, 25'000, 85'000, 272'500};
    for (int j = 0; j < 6; ++j) {
        if (j < 5)
            t.com_kubun(row, j) = *Money::from_yen(bounds[j]);
        t.com_wariai(row, j) = rates[j];
        t.com_add(row, j) = *Money::from_yen(adds[j]);
    }
    t.com_fix(row) = *Money::from_yen(2'000);
    t.com_max(row) = Money{};
    t.com_mini(row) = Money{};
}

} // namespace fee::test
