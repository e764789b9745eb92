#pragma once

#include <QWidget>

#include "gui/chart/chart_module.h"
#include "gui/chart/chart_with_legend.h"

namespace fee::ui {

// 取引履歴のグラフ: a trade history's cost so far, month by month, at the five
// cheapest brokers and, where the file has a fee column, as it was paid: where
// in the year a broker's lead builds up, and where a yearly fee jumps in.
// Hovering over a line shows the month and the exact sum there.
class ReplayChart : public QWidget {
    Q_OBJECT
public:
    ReplayChart(const Participants& table, const ReplayMonths& months, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString tip(int entry, QPointF point) const;

    const ReplayMonths months_;
    QStringList names_; // the brokers', as the legend shows them
    ChartWithLegend chart_;
};

} // namespace fee::ui
