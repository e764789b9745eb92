#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/analysis/chart_data.h"
#include "gui/chart/chart_page.h"

namespace fee::ui {

// 1回の手数料: every broker's commission for one trade against the amount,
// over a range of amounts the user may change, with the cheapest broker for
// each stretch of amounts listed below. Hovering over a line shows the broker
// and the exact commission there.
class CommissionPage : public ChartPage {
    Q_OBJECT
public:
    explicit CommissionPage(const Participants& table);

private:
    QWidget* range_row();
    void redraw();
    void draw(AmountRange range);
    void list_cheapest(const CommissionChart& chart_data);
    QString tip(int row, QPointF point) const;

    // Their objectNames: trade_from, trade_to, redraw_button, range_message.
    QLineEdit from_box_;
    QLineEdit to_box_;
    QPushButton redraw_button_;
    QLabel range_message_;
    AmountRange range_ = kChartAmounts;
};

} // namespace fee::ui
