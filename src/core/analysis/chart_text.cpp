#include "core/analysis/chart_text.h"

#include <vector>

#include "core/money/number_text.h"

namespace fee {

namespace {

// A stretch of overflow with its ends worded, and whether it reaches the start
// or the end of the chart's range, where it is open.
struct Stretch {
    QString first;
    QString last;
    bool at_start = false;
    bool at_end = false;
};

// Both pages word their stretches by this one rule.
QString overflow_note(const std::vector<Stretch>& stretches)
{
    QStringList parts;
    for (const Stretch& s : stretches) {
        if (s.at_start && s.at_end)
            return QStringLiteral("範囲のどこでも桁あふれ");
        if (s.at_end)
            parts << s.first + QStringLiteral(" 以上");
        else if (s.at_start)
            parts << s.last + QStringLiteral(" 以下");
        else
            parts << span_text(s.first, s.last) + QStringLiteral(" の間");
    }
    return parts.isEmpty() ? QString() : parts.join(QStringLiteral("、")) + QStringLiteral("は桁あふれ");
}

} // namespace

QString yen_text(std::int64_t amount)
{
    return currency_form(Money::from_whole_yen(amount));
}

QString factor_text(double factor)
{
    return QStringLiteral("×") + QString::number(factor, 'f', 2);
}

QString span_text(const QString& first, const QString& last)
{
    return first + QStringLiteral(" 〜 ") + last;
}

QString exact_yen(Money amount)
{
    return QStringLiteral("%1 円（%2）").arg(general_form(amount), currency_form(amount));
}

QStringList overflow_notes(const CommissionChart& chart)
{
    QStringList notes;
    for (const std::vector<AmountRange>& overflows : chart.overflows) {
        std::vector<Stretch> stretches;
        for (const AmountRange& o : overflows)
            stretches.push_back(
                {yen_text(o.from), yen_text(o.to), o.from == chart.range.from, o.to == chart.range.to});
        notes << overflow_note(stretches);
    }
    return notes;
}

QStringList overflow_notes(const YearlyChart& chart)
{
    QStringList notes;
    for (const std::vector<FactorRange>& overflows : chart.overflows) {
        std::vector<Stretch> stretches;
        for (const FactorRange& o : overflows)
            stretches.push_back({factor_text(chart.factors[o.first]), factor_text(chart.factors[o.last]),
                                 o.first == 0, o.last + 1 == chart.factors.size()});
        notes << overflow_note(stretches);
    }
    return notes;
}

} // namespace fee
