#pragma once

#include <QPointer>
#include <functional>
#include <optional>

#include "core/fees/commission.h"
#include "core/fees/participants.h"
#include "gui/app/prompter.h"

class QDialog;
class QWidget;

namespace fee::ui {
class ChartModule;
struct ReplayMonths;
} // namespace fee::ui

namespace fee {

class BrokerTable;

// Where the table came from, for the companion's command that gives a
// replay's figures: the data file, and whether the table holds changes not
// saved there.
struct TableOrigin {
    QString data_file;
    bool edited = false;
};

// One calculation, started by 試算(&C): the amount question, the frequency
// question, the trade plan filled with the preset for both answers, and for
// every plan entered the yearly costs in a result grid above the plan, with
// its chart and its cheapest sets of accounts when the grid asks for them; or
// the replay of a trade-history file and its chart. Each window is modal with no
// owner, so the main window takes no input until run() returns. The windows know nothing of each other; this
// class opens and closes them in turn, hands each one what it needs and does the computing. The table is only
// read.
class Calculation {
public:
    // Every message goes through `prompter`; a file `export_refusal` refuses
    // is never an export's target.
    // The daily plans take part beside the table's brokers.
    Calculation(const BrokerTable& table, ui::Prompter& prompter,
                ui::Prompter::SaveRefusal export_refusal = {}, DailyPlans plans = {})
        : table_(table), plans_(std::move(plans)), prompter_(prompter),
          export_refusal_(std::move(export_refusal))
    {
    }

    // Holds its participants by the address of its own plans: not to be copied.
    Calculation(const Calculation&) = delete;
    Calculation& operator=(const Calculation&) = delete;

    // Returns when the last window has closed: a question closed unanswered,
    // the trade plan closed, or 閉じる(&X) in the result window.
    void run();

    // A broker's trade-history download read off this thread and priced at
    // every broker, in a window of its own, modal like the rest, which may
    // read it again with other columns or read another file. A small file is
    // read before the window shows, so that one that cannot be read is only
    // told. Returns when that window has closed, or when there was nothing to
    // show.
    void replay(const QString& path, const TableOrigin& origin);
    // The same for a file the user chooses; nothing when none is chosen.
    void replay_chosen(const TableOrigin& origin);

private:
    void compute(QDialog& plan_window, const TradePlan& plan);
    void show_result(QDialog& plan_window, const TradePlan& plan, YearlyCosts costs);
    QWidget* make_chart_window(QWidget& grid, const TradePlan& plan);
    QWidget* make_account_sets_window(QWidget& grid, const TradePlan& plan);
    QWidget* make_replay_chart(QWidget& window, const ui::ReplayMonths& months);
    ui::ChartModule* chart_module();
    std::optional<QString> ask_history_path();

    const BrokerTable& table_;
    const DailyPlans plans_;
    const Participants participants_{table_, plans_};
    ui::Prompter& prompter_;
    ui::Prompter::SaveRefusal export_refusal_;
};

} // namespace fee
