#pragma once

#include <vector>

#include "core/analysis/chart_data.h"
#include "core/analysis/chart_scale.h"
#include "gui/chart/chart_page.h"

class QGraphicsLineItem;

namespace fee::ui {

// 年間の費用: each broker's yearly cost as the plan's counts shrink to a tenth
// or grow tenfold, with dashed lines where another broker becomes the
// cheapest, and the cheapest broker for each stretch of factors listed below.
// Hovering over a line shows the broker and the exact cost there.
class YearlyCostPage : public ChartPage {
    Q_OBJECT
public:
    YearlyCostPage(const Participants& table, const TradePlan& plan);

private:
    void draw();
    void list_cheapest();
    void place_change_marks();
    QString tip(int row, QPointF point) const;

    const YearlyChart data_;
    const std::vector<YearlyRun> runs_; // of data_, for the list and the marks
    const ChartScale factors_;          // the x axis, for the marks
    std::vector<QGraphicsLineItem*> marks_;
};

} // namespace fee::ui
