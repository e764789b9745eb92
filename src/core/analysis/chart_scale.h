#pragma once

#include <QString>
#include <vector>

#include "core/analysis/cheapest.h"

namespace fee {

// What an axis of a chart measures, and so how its labels read.
enum class AxisUnit {
    Yen,    // 「¥10,000」, as the grid writes money; 「¥0.5」 below a yen
    Factor, // the plan's counts scaled: 「×0.1」, 「×10」
};

// The text of every axis label of every chart.
QString axis_label(double value, AxisUnit unit);

// How an axis spreads its values from `low` to `high` (low < high), and which
// of them it labels.
struct ChartScale {
    AxisUnit unit = AxisUnit::Yen;
    double low = 0.0;
    double high = 1.0;
    bool logarithmic = false;
    double finest_step = 0.0001; // no two labels closer than this

    // Where `value` lies, from 0 at low to 1 at high.
    double fraction(double value) const;
    // The values to label, ascending: the most at `sparseness` 0, fewer with
    // each step up, until one or none is left. Logarithmic: the powers of ten,
    // then every second, third... from the lowest, with 1, 2 and 5 times them
    // first where fewer than two powers lie in the range; linear: the
    // multiples of 1, 2 or 5 times a power of ten.
    std::vector<double> ticks(int sparseness) const;
};

// The amounts of one trade, whole yen: logarithmic over a tenfold or more;
// else linear, which still tells apart two amounts next to each other at the
// top of the money range, and a single amount gets half a yen on either side.
ChartScale amount_scale(AmountRange range);

// Yen from the lowest to the highest figure drawn (none: lowest above
// highest): logarithmic from a power of ten to a power of ten where every
// figure is above 0 and the highest a tenfold or more of the lowest, else
// linear from 0 to a round figure.
ChartScale money_scale(double lowest, double highest);

// The factors of the plan's counts, logarithmic.
ChartScale factor_scale(double lowest, double highest);

} // namespace fee
