#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/analysis/chart_scale.h"

class QAbstractAxis;
class QChart;

namespace fee::ui {

// Per table row, its lines: more than one where it leaves the money range in
// between, none where it never fits.
using BrokerLines = std::vector<std::vector<QList<QPointF>>>;

// The money scale for the y of `lines`.
ChartScale money_scale_of(const BrokerLines& lines);

// An axis on `side` for `scale`, titled `what` with `notes` in brackets and
// 対数目盛 among them on a logarithmic scale; beside the plot the bracket
// takes a line of its own, so that the title fits a low plot. The axis
// returned takes the series, their values as they are, and draws the grid
// (with the minor lines of a logarithmic scale); one beside it, on no series,
// carries the title and the labels, axis_label's texts, as many as the plot's
// size of the moment has room for without two meeting.
QAbstractAxis* add_scale_axis(QChart& chart, Qt::Alignment side, const ChartScale& scale, const QString& what,
                              QStringList notes = {});

// Calendar months (yyyymm) at the bottom, month i at x = i, labelled
// 「2025/03」 at a step that keeps the labels apart.
QAbstractAxis* add_month_axis(QChart& chart, const std::vector<int>& months, const QString& title);

} // namespace fee::ui
