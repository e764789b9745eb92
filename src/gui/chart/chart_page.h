#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include "core/fees/participants.h"
#include "gui/chart/chart_with_legend.h"
#include "gui/chart/cheapest_list.h"

namespace fee::ui {

// A page of the chart window: what the page puts on top, its chart with the
// legend, a caption, and the list of the cheapest broker per stretch below.
class ChartPage : public QWidget {
    Q_OBJECT
public:
    ChartWithLegend& chart() { return chart_; }

protected:
    // The chart is named `chart_name` and the list `list_name` for a screen
    // reader; their objects' names begin with `what`.
    ChartPage(const Participants& table, const QString& chart_name, const QString& what,
              const QString& list_name, const QStringList& headers);
    // The parts in place, `top` above the chart; `name` is the page's for a
    // screen reader.
    void lay_out(const QString& name, const QList<QWidget*>& top, const QString& caption);

    const Participants table_; // refers to the caller's table and plans
    ChartWithLegend chart_;
    CheapestList cheapest_;
};

} // namespace fee::ui
