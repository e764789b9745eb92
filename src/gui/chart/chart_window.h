#pragma once

#include <QTabWidget>
#include <QWidget>

#include "gui/chart/commission_page.h"
#include "gui/chart/yearly_cost_page.h"

namespace fee::ui {

// 手数料のグラフ: the two questions the ranking of one plan cannot answer, a
// page each: what one trade costs at each broker against the amount, and what
// a year costs as the plan's counts shrink or grow. A broker whose figure
// leaves the money range somewhere is drawn where it fits, and its legend
// entry says where it does not.
class ChartWindow : public QWidget {
    Q_OBJECT
public:
    ChartWindow(const Participants& table, const TradePlan& plan, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabWidget tabs_{this};
    CommissionPage commission_;
    YearlyCostPage yearly_;
};

} // namespace fee::ui
