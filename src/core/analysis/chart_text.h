#pragma once

#include <QString>
#include <QStringList>

#include "core/analysis/chart_data.h"

namespace fee {

// The words both chart pages share, so that a legend entry, a list row and a
// tip say a thing the same way on either page.

// 「×0.10」: the plan's counts scaled by `factor`.
QString factor_text(double factor);

// 「¥30,000,001」: a whole-yen amount of a chart as the grid writes money.
QString yen_text(std::int64_t amount);

// 「first 〜 last」: a stretch of amounts or factors.
QString span_text(const QString& first, const QString& last);

// 「11500.0086 円（¥11,500）」: a figure exact, then as the result grid rounds it.
QString exact_yen(Money amount);

// Per table row, where its figure leaves the money range, for its legend
// entry: 「¥30,000,001 以上は桁あふれ」, each stretch open where it reaches an end
// of the chart's range; empty where the figure fits throughout.
QStringList overflow_notes(const CommissionChart& chart);
QStringList overflow_notes(const YearlyChart& chart);

} // namespace fee
