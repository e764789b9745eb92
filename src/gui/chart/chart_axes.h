#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <vector>

class QAbstractAxis;
class QChart;
class QLogValueAxis;

namespace fee::ui {

// Per table row, its lines: more than one where it leaves the money range in
// between, none where it never fits.
using BrokerLines = std::vector<std::vector<QList<QPointF>>>;

// The money axis on the left for `lines`; `title` is completed with the scale
// and the closing bracket, as in 「年間の費用（円、対数目盛）」.
QAbstractAxis* add_money_axis(QChart& chart, const BrokerLines& lines, const QString& title);

// A logarithmic factor or amount axis at the bottom, from `low` to `high`, its
// labels in the printf `format`.
QLogValueAxis* add_log_x(QChart& chart, const QString& title, const char* format, double low, double high);

// Slants the bottom axis's labels where they would collide.
void slant_crowded_labels(QChart& chart);

// A linear money axis on the left from ¥0 to a round figure at or above
// `high` yen, its ticks labelled as the grid writes money (「¥120,000」).
QAbstractAxis* add_yen_axis(QChart& chart, double high, const QString& title);

// Calendar months (yyyymm) at the bottom, month i at x = i, labelled
// 「2025/03」 at a step that keeps the labels apart.
QAbstractAxis* add_month_axis(QChart& chart, const std::vector<int>& months, const QString& title);

} // namespace fee::ui
