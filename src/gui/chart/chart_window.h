#pragma once

#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QWidget>
#include <optional>
#include <vector>

#include "core/analysis/chart_data.h"
#include "gui/chart/chart_with_legend.h"
#include "gui/chart/cheapest_list.h"

class QGraphicsLineItem;
class QLineSeries;

namespace fee {
class BrokerTable;
}

namespace fee::ui {

// 手数料のグラフ: the two questions the ranking of one plan cannot answer.
// 1回の手数料 draws every broker's commission for one trade against the amount,
// over a range of amounts the user may change, with the cheapest broker for
// each stretch of amounts listed below; 年間の費用 draws each broker's yearly
// cost as the plan's counts shrink to a tenth or grow tenfold, with dashed
// lines where another broker becomes the cheapest. A broker whose figure leaves
// the money range somewhere is drawn where it fits, and its legend entry says
// where it does not. Hovering over a line shows the broker and the exact value
// there; unchecking a broker in the list beside a chart hides its line.
class chart_window : public QWidget {
    Q_OBJECT
public:
    chart_window(const BrokerTable& table, const TradePlan& plan, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Controls; their objectNames are these names (the plots': trade_chart,
    // trade_legend, year_chart, year_legend).
    QTabWidget chart_tabs{this};
    ChartWithLegend trade_;
    QLineEdit trade_from;
    QLineEdit trade_to;
    QPushButton key_redraw;
    QLabel range_message;
    CheapestList trade_cheapest;
    ChartWithLegend year_;
    CheapestList year_cheapest;

    QWidget* trade_page();
    QWidget* range_row();
    QWidget* year_page();
    void redraw_trade();
    void draw_trade(AmountRange range);
    void list_trade_cheapest(const CommissionChart& chart_data);
    void fill_year_chart(const YearlyChart& chart_data);
    void list_year_cheapest(const YearlyChart& chart_data);
    QString trade_tip(int row, QPointF point) const;
    QString year_tip(int row, QPointF point) const;
    void place_change_marks();

    const BrokerTable& table_;
    const TradePlan plan_;
    AmountRange trade_range_ = kChartAmounts;
    YearlyChart year_data_;
    std::vector<QGraphicsLineItem*> marks_;
};

} // namespace fee::ui
