#pragma once

#include <cmath>
#include <compare>
#include <cstdint>
#include <optional>

namespace fee {

// A yen amount as a signed 64-bit count of 1/10,000 yen. Every operation that
// could leave the range says so (an empty optional); nothing wraps or saturates.
// The operations are inline: the yearly cost runs them in its inner loop.
class Money {
public:
    static constexpr std::int64_t kScale = 10'000;

    constexpr Money() = default;
    static constexpr Money from_units(std::int64_t units) { return Money(units); }
    static std::optional<Money> from_yen(std::int64_t yen)
    {
        std::int64_t units = 0;
        if (__builtin_mul_overflow(yen, kScale, &units))
            return std::nullopt;
        return Money(units);
    }
    // Rounds to the nearest 1/10,000 yen, ties to even; empty when not finite or out of range.
    static std::optional<Money> from_double_yen_half_even(double yen)
    {
        // rint rounds in the default mode, to nearest with ties to even.
        const double scaled = std::rint(yen * static_cast<double>(kScale));
        // 2^63 is exact in a double, and every double below it converts without overflow.
        constexpr double kLimit = 9223372036854775808.0;
        if (!(scaled >= -kLimit && scaled < kLimit)) // also refuses NaN
            return std::nullopt;
        return Money(static_cast<std::int64_t>(scaled));
    }

    // A whole-yen amount within +-kMaxWholeYen (below), which cannot leave
    // the range, so nothing is checked.
    static constexpr Money from_whole_yen(std::int64_t yen) { return Money(yen * kScale); }
    static constexpr Money min() { return Money(INT64_MIN); }
    static constexpr Money max() { return Money(INT64_MAX); }

    constexpr std::int64_t units() const { return units_; }

    // Exact for whole-yen amounts; otherwise the nearest double.
    double to_double_yen() const
    {
        // One correctly rounded division while the count is exact in a double;
        // above that, split so that whole yen still convert exactly.
        constexpr std::int64_t kExact = std::int64_t{1} << 53;
        if (units_ > -kExact && units_ < kExact)
            return static_cast<double>(units_) / static_cast<double>(kScale);
        return static_cast<double>(units_ / kScale) +
               static_cast<double>(units_ % kScale) / static_cast<double>(kScale);
    }

    std::optional<Money> plus(Money other) const
    {
        std::int64_t sum = 0;
        if (__builtin_add_overflow(units_, other.units_, &sum))
            return std::nullopt;
        return Money(sum);
    }

    std::optional<Money> minus(Money other) const
    {
        std::int64_t difference = 0;
        if (__builtin_sub_overflow(units_, other.units_, &difference))
            return std::nullopt;
        return Money(difference);
    }

    std::optional<Money> times(std::int64_t count) const
    {
        std::int64_t product = 0;
        if (__builtin_mul_overflow(units_, count, &product))
            return std::nullopt;
        return Money(product);
    }

    constexpr auto operator<=>(const Money&) const = default;

private:
    constexpr explicit Money(std::int64_t units) : units_(units) {}
    std::int64_t units_ = 0;
};

// The largest whole-yen amount a Money holds, either sign.
inline constexpr std::int64_t kMaxWholeYen = INT64_MAX / Money::kScale;

} // namespace fee
