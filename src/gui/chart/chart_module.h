#pragma once

#include <QString>
#include <QtPlugin>
#include <vector>

#include "core/fees/trade_plan.h"
#include "core/replay/replay.h"

class QWidget;

namespace fee {
class Participants;
}

namespace fee::ui {

// What the chart of a trade history draws: month by month, the cost so far at
// the cheapest brokers, and what the file says was paid.
struct ReplayMonths {
    QString file_name;
    std::vector<int> brokers;                    // table rows, cheapest first
    std::vector<std::vector<MonthlyCost>> costs; // per broker, the same months
    std::vector<MonthlyCost> paid;               // empty without a fee column
};

// The chart windows live in a module of its own, loaded the first time a
// chart is asked for: the program then starts without Qt Charts and OpenGL.
class ChartModule {
public:
    virtual ~ChartModule() = default;
    // A new chart window for the table and plan, a child window of `parent`.
    virtual QWidget* make_chart(const Participants& participants, const TradePlan& plan, QWidget* parent) = 0;
    // A new window charting a trade history's costs, a child window of `parent`.
    virtual QWidget* make_replay_chart(const Participants& participants, const ReplayMonths& months,
                                       QWidget* parent) = 0;
};

// The module's file name, and the folders it is looked for in, in order: the
// one $FEE_MODULE_DIR names, the program's own, the installation's.
QString chart_module_file();
QStringList chart_module_folders();

// The module, loaded at the first call; null with the reason in `why` when it
// is missing or cannot be loaded.
ChartModule* load_chart_module(QString& why);

} // namespace fee::ui

#define FEE_CHART_MODULE_IID "io.github.feecompare.FeeCompare.ChartModule/3"
Q_DECLARE_INTERFACE(fee::ui::ChartModule, FEE_CHART_MODULE_IID)
