#pragma once

#include <QChartView>
#include <QListWidget>
#include <QPen>
#include <QWidget>
#include <functional>
#include <vector>

#include "core/fees/participants.h"
#include "gui/chart/chart_axes.h"

class QGraphicsTextItem;
class QLineSeries;

namespace fee::ui {

// What the legend lists for one line: its name and how it is drawn.
struct LegendEntry {
    QString name;
    QPen pen;
};

// A chart of every broker's figure with its own legend beside it, every broker
// in it however many: one checkable entry a broker, its line as the icon and,
// where it overflows, where. Unchecking an entry hides that broker's lines;
// hovering over a line shows what the page says of that point.
class ChartWithLegend : public QWidget {
    Q_OBJECT
public:
    // The tip for entry `row`'s line at `point`; empty for none.
    using Tip = std::function<QString(int row, QPointF point)>;

    // `name` is what a screen reader calls the chart; the view and the legend
    // are named `what`_chart and `what`_legend. One entry a broker, in table order.
    ChartWithLegend(const Participants& table, const QString& name, const QString& what);
    // The same for a few lines of one's own choosing, in this order.
    ChartWithLegend(std::vector<LegendEntry> entries, const QString& name, const QString& what);

    // Broker `row` as every chart draws it: its name and its colour and style.
    static LegendEntry broker_entry(const Participants& table, int row);

    QChart& chart() { return *view_.chart(); }
    QChartView& view() { return view_; }
    // Lines and axes gone, for a redraw.
    void clear();
    // One line an entry, or a few, on the two axes, with its legend entry;
    // `overflow_notes` says per entry where it does not fit. An entry hidden
    // before a redraw stays hidden. Where no entry has a line, the plot says why.
    void draw(const BrokerLines& lines, const QStringList& overflow_notes, QAbstractAxis& x, QAbstractAxis& y,
              Tip tip);
    // A legend as wide as its names, but no more than two sevenths of a window
    // `window_width` wide: on a small screen the chart keeps the room, and a
    // long note wraps.
    void limit_legend(int window_width);

private:
    void fill_legend(const QStringList& overflow_notes);
    void show_row(QListWidgetItem* item);
    void describe();

    const std::vector<LegendEntry> entries_;
    QChartView view_;
    QListWidget legend_;
    std::vector<std::vector<QLineSeries*>> series_; // per entry
    QGraphicsTextItem* nothing_drawn_;              // in the plot
};

} // namespace fee::ui
