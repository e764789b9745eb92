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
    // Per table row, its lines: more than one where it leaves the money range
    // in between, none where it never fits.
    using Lines = std::vector<std::vector<QList<QPointF>>>;

    // A chart with its own legend beside it, every broker in it however many.
    struct Plot {
        QChartView view;
        QListWidget legend;
        std::vector<std::vector<QLineSeries*>> series; // per table row
    };

    // Controls; their objectNames are these names (the plots': trade_chart,
    // trade_legend, year_chart, year_legend).
    QTabWidget chart_tabs{this};
    Plot trade_;
    QLineEdit trade_from;
    QLineEdit trade_to;
    QPushButton key_redraw;
    QLabel range_message;
    QTableWidget trade_cheapest;
    Plot year_;
    QTableWidget year_cheapest;

    QWidget* trade_page();
    QWidget* range_row();
    QWidget* year_page();
    void redraw_trade();
    void draw_trade(AmountRange range);
    void list_trade_cheapest(const CommissionChart& chart_data);
    void fill_year_chart(const YearlyChart& chart_data);
    void list_year_cheapest(const YearlyChart& chart_data);
    // One line a broker, or a few, on the two axes, with its hover tip and
    // its legend entry; `overflow_notes` says per row where it does not fit.
    void add_lines(Plot& plot, const Lines& lines, const QStringList& overflow_notes, QAbstractAxis& x,
                   QAbstractAxis& y, void (chart_window::*tip)(int, QPointF, bool));
    void fill_legend(Plot& plot, const QStringList& overflow_notes);
    void show_row(Plot& plot, QListWidgetItem* item);
    void describe(Plot& plot);
    void show_trade_tip(int row, QPointF point, bool inside);
    void show_year_tip(int row, QPointF point, bool inside);
    void place_change_marks();

    const BrokerTable& table_;
    const TradePlan plan_;
    AmountRange trade_range_ = kChartAmounts;
    YearlyChart year_data_;
    std::vector<QGraphicsLineItem*> marks_;
};

} // namespace fee::ui
