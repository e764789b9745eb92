#include "core/analysis/chart_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/money/number_text.h"

namespace fee {

namespace {

// Money figures are counted in 1/10,000 yen.
constexpr double kFinestYen = 1.0 / Money::kScale;
// What a double's rounding may add to a logarithm or a ratio.
constexpr double kSlack = 1e-9;

// The round steps ..., 0.5, 1, 2, 5, 10, 20, ...: 1 is step 0.
double round_step(int n)
{
    constexpr double kTimes[] = {1.0, 2.0, 5.0};
    const int decade = n >= 0 ? n / 3 : -((-n + 2) / 3);
    return kTimes[n - 3 * decade] * std::pow(10.0, decade);
}

// The number of the smallest round step at or above `wanted`.
int first_step_above(double wanted)
{
    int n = 3 * static_cast<int>(std::floor(std::log10(wanted))) - 3;
    while (round_step(n) < wanted * (1.0 - kSlack))
        ++n;
    return n;
}

std::vector<double> multiples(double step, double low, double high)
{
    std::vector<double> ticks;
    const double first = std::ceil(low / step - kSlack);
    const double last = std::floor(high / step + kSlack);
    for (double k = first; k <= last; ++k)
        ticks.push_back(std::clamp(k * step, low, high));
    return ticks;
}

} // namespace

QString axis_label(double value, AxisUnit unit)
{
    if (unit == AxisUnit::Factor)
        return QStringLiteral("×") + QString::number(value, 'g', 6);
    // Whole yen go through whole yen: near the top of the money range a
    // double's yen no longer convert to 1/10,000 yen exactly.
    const double whole = std::round(value);
    if (std::abs(value - whole) < kFinestYen / 2 && std::abs(whole) <= static_cast<double>(kMaxWholeYen))
        return currency_form(Money::from_whole_yen(static_cast<std::int64_t>(whole)));
    return exact_currency_form(
        Money::from_double_yen_half_even(value).value_or(value < 0 ? Money::min() : Money::max()));
}

double ChartScale::fraction(double value) const
{
    if (logarithmic)
        return (std::log10(value) - std::log10(low)) / (std::log10(high) - std::log10(low));
    return (value - low) / (high - low);
}

std::vector<double> ChartScale::ticks(int sparseness) const
{
    if (!logarithmic)
        return multiples(
            round_step(first_step_above(std::max((high - low) / 10.0, finest_step)) + sparseness), low, high);
    const double first_power = std::ceil(std::log10(low) - kSlack);
    const double last_power = std::floor(std::log10(high) + kSlack);
    std::vector<double> ticks;
    if (first_power >= last_power) {
        if (sparseness == 0) {
            for (double power = first_power - 1.0; power <= last_power; ++power)
                for (const double times : {1.0, 2.0, 5.0})
                    if (const double value = times * std::pow(10.0, power);
                        value >= low * (1.0 - kSlack) && value <= high * (1.0 + kSlack))
                        ticks.push_back(std::clamp(value, low, high));
            return ticks;
        }
        --sparseness;
    }
    // From the first power on, so that the low end keeps its label.
    for (double power = first_power; power <= last_power; power += sparseness + 1)
        ticks.push_back(std::clamp(std::pow(10.0, power), low, high));
    return ticks;
}

ChartScale amount_scale(AmountRange range)
{
    const auto from = static_cast<double>(range.from);
    const auto to = static_cast<double>(range.to);
    if (to >= 10.0 * from)
        return {AxisUnit::Yen, from, to, true, 1.0};
    if (from < to)
        return {AxisUnit::Yen, from, to, false, 1.0};
    return {AxisUnit::Yen, from - 0.5, to + 0.5, false, 1.0};
}

ChartScale money_scale(double lowest, double highest)
{
    if (!(lowest <= highest))
        return {AxisUnit::Yen, 0.0, 1.0, false, kFinestYen};
    const auto most = static_cast<double>(kMaxWholeYen);
    if (lowest > 0.0 && highest >= 10.0 * lowest) {
        const double top = std::pow(10.0, std::ceil(std::log10(highest) - kSlack));
        return {AxisUnit::Yen, std::pow(10.0, std::floor(std::log10(lowest) + kSlack)),
                top <= most ? top : highest, true, kFinestYen};
    }
    const double low = std::min(lowest, 0.0);
    if (highest <= low)
        return {AxisUnit::Yen, low, low + 1.0, false, kFinestYen};
    // Up to a round figure, in five round steps or a few more.
    const double step = round_step(first_step_above(std::max((highest - low) / 5.0, kFinestYen)));
    const double top = std::ceil(highest / step - kSlack) * step;
    return {AxisUnit::Yen, low, top <= most ? top : highest, false, kFinestYen};
}

ChartScale factor_scale(double lowest, double highest)
{
    return {AxisUnit::Factor, lowest, highest, true, 0.01};
}

} // namespace fee
