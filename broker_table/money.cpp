#include "broker_table/money.h"

#include <cmath>

namespace fee {

std::optional<Money> Money::from_yen(std::int64_t yen)
{
    std::int64_t units = 0;
    if (__builtin_mul_overflow(yen, kScale, &units))
        return std::nullopt;
    return Money(units);
}

std::optional<Money> Money::from_double_yen_half_even(double yen)
{
    if (!std::isfinite(yen))
        return std::nullopt;
    // nearbyint follows the default rounding mode, round-to-nearest-even.
    const double scaled = std::nearbyint(yen * static_cast<double>(kScale));
    // 2^63 is exactly representable; every double below it converts without overflow.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(scaled >= -kLimit && scaled < kLimit))
        return std::nullopt;
    return Money(static_cast<std::int64_t>(scaled));
}

double Money::to_double_yen() const
{
    // One correctly rounded division while the count is exact in a double; above
    // that, split so that whole yen still convert exactly.
    constexpr std::int64_t kExact = std::int64_t{1} << 53;
    if (units_ > -kExact && units_ < kExact)
        return static_cast<double>(units_) / static_cast<double>(kScale);
    const std::int64_t whole = units_ / kScale;
    const std::int64_t frac = units_ % kScale;
    return static_cast<double>(whole) + static_cast<double>(frac) / static_cast<double>(kScale);
}

std::optional<Money> Money::plus(Money other) const
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(units_, other.units_, &sum))
        return std::nullopt;
    return Money(sum);
}

std::optional<Money> Money::times(std::int64_t count) const
{
    std::int64_t product = 0;
    if (__builtin_mul_overflow(units_, count, &product))
        return std::nullopt;
    return Money(product);
}

} // namespace fee
