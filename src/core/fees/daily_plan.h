#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/money/money.h"

namespace fee {

// A daily flat plan (1日定額): the day's total traded amount decides one fee.

// Up to `up_to` yen in a day (whole yen, at least 1), `fee`.
struct DailyTier {
    std::int64_t up_to = 1;
    Money fee;
    bool operator==(const DailyTier&) const = default;
};

// Above the last tier, `fee` for each further `per` yen begun.
struct DailyStep {
    std::int64_t per = 1;
    Money fee;
    bool operator==(const DailyStep&) const = default;
};

struct DailyPlan {
    QString name;
    Money yearly_fee;
    std::vector<DailyTier> tiers; // up_to strictly ascending, never empty
    std::optional<DailyStep> above;
    Money maximum; // 0: none

    bool operator==(const DailyPlan&) const = default;
};

// The plans of one file, at most kMaxDailyPlans, in the file's order.
using DailyPlans = std::vector<DailyPlan>;
inline constexpr int kMaxDailyPlans = 21;

// The fee of a day whose trades add up to `total`: the first tier with
// total <= up_to; above the last, its fee plus one step's fee for each `per`
// begun (the last tier's fee alone without a step); then at most the maximum.
// Nothing on overflow where no maximum caps it. (A day without trades costs nothing: callers do not
// price it.)
std::optional<Money> day_fee(const DailyPlan& plan, Money total);

} // namespace fee
