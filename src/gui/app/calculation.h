#pragma once

#include <QPointer>
#include <functional>

#include "core/fees/commission.h"
#include "gui/app/prompter.h"

class QDialog;
class QWidget;

namespace fee {

class BrokerTable;

// One calculation, started by 試算(&C): the amount question, the frequency
// question, the trade plan filled with the preset for both answers, and for
// every plan entered the yearly costs in a result grid above the plan, with
// its chart and its cheapest sets of accounts when the grid asks for them. Each window is modal with no
// owner, so the main window takes no input until run() returns. The windows know nothing of each other; this
// class opens and closes them in turn, hands each one what it needs and does the computing. The table is only
// read.
class Calculation {
public:
    // Every message goes through `prompter`; a file `export_refusal` refuses
    // is never an export's target.
    Calculation(const BrokerTable& table, ui::Prompter& prompter,
                ui::Prompter::SaveRefusal export_refusal = {})
        : table_(table), prompter_(prompter), export_refusal_(std::move(export_refusal))
    {
    }

    // Returns when the last window has closed: a question closed unanswered,
    // the trade plan closed, or 閉じる(&X) in the result window.
    void run();

private:
    void compute(QDialog& plan_window, const TradePlan& plan);
    void show_result(QDialog& plan_window, const TradePlan& plan, YearlyCosts costs);
    QWidget* make_chart_window(QWidget& grid, const TradePlan& plan);
    QWidget* make_account_sets_window(QWidget& grid, const TradePlan& plan);

    const BrokerTable& table_;
    ui::Prompter& prompter_;
    ui::Prompter::SaveRefusal export_refusal_;
};

} // namespace fee
