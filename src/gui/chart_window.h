#pragma once

#include <QChartView>
#include <QTabWidget>
#include <QTableWidget>
#include <QWidget>
#include <optional>
#include <vector>

#include "core/chart_data.h"

class QGraphicsLineItem;
class QLineSeries;

namespace fee {
class BrokerTable;
}

namespace fee::ui {

// 手数料のグラフ: the two questions the ranking of one plan cannot answer.
// 1回の手数料 draws every broker's commission for one trade against the amount,
// with the cheapest broker for each stretch of amounts listed below;
// 年間の費用 draws each broker's yearly cost as the plan's counts shrink to a
// tenth or grow tenfold, with dashed lines where another broker becomes the
// cheapest. Hovering over a line shows the broker and the exact value there; a
// click on a legend entry hides or shows that broker.
class chart_window : public QWidget {
    Q_OBJECT
public:
    chart_window(const BrokerTable& table, const TradePlan& plan, QWidget* parent = nullptr);

private:
    // Controls; their objectNames are these names.
    QTabWidget chart_tabs{this};
    QChartView trade_chart;
    QTableWidget trade_cheapest;
    QChartView year_chart;
    QTableWidget year_cheapest;

    QWidget* trade_page();
    QWidget* year_page();
    void fill_trade_chart(const CommissionChart& chart_data);
    void fill_year_chart(const YearlyChart& chart_data);
    void list_year_cheapest(const YearlyChart& chart_data);
    QLineSeries* add_line(QChart& chart, int row, const QList<QPointF>& points);
    // One line a broker, on the two axes, with its hover tip and the legend.
    void add_lines(QChart& chart, const std::vector<QList<QPointF>>& lines, QAbstractAxis& x,
                   QAbstractAxis& y, void (chart_window::*tip)(int, QPointF, bool));
    void setup_legend(QChart& chart);
    void show_trade_tip(int row, QPointF point, bool inside);
    void show_year_tip(int row, QPointF point, bool inside);
    void place_change_marks();

    const BrokerTable& table_;
    const TradePlan plan_;
    std::optional<YearlyChart> year_;
    std::vector<QGraphicsLineItem*> marks_;
};

} // namespace fee::ui
