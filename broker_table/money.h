#pragma once

#include <compare>
#include <cstdint>
#include <optional>

namespace fee {

// A yen amount as a signed 64-bit count of 1/10,000 yen. Every operation that
// could leave the range says so (an empty optional); nothing wraps or saturates.
class Money {
public:
    static constexpr std::int64_t kScale = 10'000;

    constexpr Money() = default;
    static constexpr Money from_units(std::int64_t units) { return Money(units); }
    static std::optional<Money> from_yen(std::int64_t yen);
    // Rounds to the nearest 1/10,000 yen, ties to even; empty when not finite or out of range.
    static std::optional<Money> from_double_yen_half_even(double yen);

    static constexpr Money min() { return Money(INT64_MIN); }
    static constexpr Money max() { return Money(INT64_MAX); }

    constexpr std::int64_t units() const { return units_; }
    // Exact for whole-yen amounts; otherwise the nearest double.
    double to_double_yen() const;

    std::optional<Money> plus(Money other) const;
    std::optional<Money> times(std::int64_t count) const;

    constexpr auto operator<=>(const Money&) const = default;

private:
    constexpr explicit Money(std::int64_t units) : units_(units) {}
    std::int64_t units_ = 0;
};

} // namespace fee
