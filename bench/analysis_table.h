#pragma once

#include <cmath>
#include <cstdlib>

#include "core/datafile/data_file.h"
#include "core/fees/broker_table.h"

namespace fee::bench {

// Twenty-one brokers as a real table might hold them: the sample file's
// schedules, and copies of them with rates a percent or two apart, other limits
// and add-ons, so that lines cross and limits bite all over the range.
inline BrokerTable twenty_one_brokers()
{
    BrokerTable sample;
    if (!read_data_file(QStringLiteral(FEE_SAMPLE_DATA), sample).ok())
        std::abort();
    BrokerTable t;
    t.set_last_broker(20);
    const int n = sample.broker_count();
    for (int r = 0; r <= 20; ++r) {
        Broker& b = t.broker(r);
        b = sample.broker(r % n);
        const int copy = r / n;
        if (copy == 0)
            continue;
        for (Bracket& k : b.brackets) {
            k.rate *= 1.0f + 0.013f * static_cast<float>(copy);
            k.add_on = Money::from_units(k.add_on.units() + 7'000 * copy);
        }
        b.minimum = *Money::from_yen(50 * copy + r);
        b.maximum = copy == 2 ? *Money::from_yen(150'000 + r) : b.maximum;
    }
    return t;
}

} // namespace fee::bench
