// The chart module: the one entry point the program finds by its interface.
#include <QObject>

#include "gui/chart/chart_module.h"
#include "gui/chart/chart_window.h"
#include "gui/chart/replay_chart.h"

namespace fee::ui {

class ChartPlugin : public QObject, public ChartModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FEE_CHART_MODULE_IID)
    Q_INTERFACES(fee::ui::ChartModule)

public:
    QWidget* make_chart(const Participants& participants, const TradePlan& plan, QWidget* parent) override
    {
        return new ChartWindow(participants, plan, parent);
    }
    QWidget* make_replay_chart(const Participants& participants, const ReplayMonths& months,
                               QWidget* parent) override
    {
        return new ReplayChart(participants, months, parent);
    }
};

} // namespace fee::ui

#include "chart_plugin.moc"
