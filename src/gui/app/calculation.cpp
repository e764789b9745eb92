#include "gui/app/calculation.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include "core/analysis/accounts.h"
#include "core/fees/cost_messages.h"
#include "core/fees/preset_plans.h"
#include "gui/app/column_memory.h"
#include "gui/app/history_reading.h"
#include "gui/app/prompter.h"
#include "gui/chart/chart_module.h"
#include "gui/windows/account_sets_window.h"
#include "gui/windows/dialog.h"
#include "gui/windows/replay_window.h"
#include "gui/windows/result_window.h"
#include "gui/windows/style_questions.h"
#include "gui/windows/trade_plan_window.h"

namespace fee {

void Calculation::run()
{
    std::optional<bool> high_amounts;
    {
        ui::AmountQuestion question;
        question.exec();
        high_amounts = question.high_amounts();
    }
    if (!high_amounts)
        return;
    std::optional<bool> frequent;
    {
        ui::FrequencyQuestion question;
        question.exec();
        frequent = question.frequent();
    }
    if (!frequent)
        return;

    // Filled while hidden: the user sees the preset, never the design texts.
    ui::TradePlanWindow plan_window(prompter_);
    plan_window.set_plan_texts(preset_plan(*high_amounts, *frequent).texts());
    QObject::connect(&plan_window, &ui::TradePlanWindow::plan_entered, &plan_window,
                     [this, &plan_window](const TradePlan& plan) { compute(plan_window, plan); });
    plan_window.exec();
}

void Calculation::compute(QDialog& plan_window, const TradePlan& plan)
{
    // Every broker or none: an overflow never shows partial figures.
    auto costs = compute_yearly_costs(participants_, plan);
    if (!costs) {
        prompter_.inform(QString::fromStdString(cost_overflow_message(participants_, costs.error(), plan)));
        return;
    }
    show_result(plan_window, plan, std::move(costs).value());
}

namespace {

// A window that belongs to the result grid: one of it per grid, a second
// request brings it up; the grid's child, so that it takes input above the
// modal grid. `make` gives none when there is nothing to show.
void bring_up(QPointer<QWidget>& window, const std::function<QWidget*()>& make)
{
    if (!window) {
        window = make();
        if (!window)
            return;
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    ui::bring_to_front(*window);
}

} // namespace

void Calculation::show_result(QDialog& plan_window, const TradePlan& plan, YearlyCosts costs)
{
    // Modal above the plan, which stays open beneath it. A fresh grid for
    // every computation, and what it asks for closes with it.
    ui::ResultWindow grid(participants_, std::move(costs), prompter_);
    grid.set_export_refusal(export_refusal_);
    QPointer<QWidget> chart, accounts;
    QObject::connect(&grid, &ui::ResultWindow::chart_requested, &grid, [this, &chart, &grid, &plan] {
        bring_up(chart, [&] { return make_chart_window(grid, plan); });
    });
    QObject::connect(&grid, &ui::ResultWindow::accounts_requested, &grid, [this, &accounts, &grid, &plan] {
        bring_up(accounts, [&] { return make_account_sets_window(grid, plan); });
    });
    QObject::connect(&grid, &QDialog::finished, &grid, [&chart, &accounts] {
        for (QWidget* window : {chart.data(), accounts.data()})
            if (window)
                window->close();
    });
    if (grid.exec() == ui::ResultWindow::kCloseWithPlan)
        plan_window.close();
}

// From the chart module, loaded the first time; where it cannot be, the
// reason, and the rest of the program goes on.
ui::ChartModule* Calculation::chart_module()
{
    QString why;
    ui::ChartModule* module = ui::load_chart_module(why);
    if (!module)
        prompter_.inform(
            QStringLiteral("グラフを開けません。グラフの部品 %1。プログラムを入れ直して下さい。").arg(why));
    return module;
}

QWidget* Calculation::make_chart_window(QWidget& grid, const TradePlan& plan)
{
    ui::ChartModule* module = chart_module();
    return module ? module->make_chart(participants_, plan, &grid) : nullptr;
}

// Up to three accounts, as many as a user weighs; where no set can carry the
// plan, the reason instead of an empty window.
QWidget* Calculation::make_account_sets_window(QWidget& grid, const TradePlan& plan)
{
    const auto sets = cheapest_account_sets(participants_, plan, 3);
    if (!sets) {
        prompter_.inform(QString::fromStdString(accounts_failure_message(sets.error())));
        return nullptr;
    }
    return new ui::AccountSetsWindow(participants_, plan, sets.value(), &grid);
}

namespace {

// The folder of the last history opened while the program runs.
QString& last_history_folder()
{
    static QString folder;
    return folder;
}

// Long enough to read a small file before its window shows, short enough
// not to be noticed.
constexpr int kMomentMs = 300;

} // namespace

std::optional<QString> Calculation::ask_history_path()
{
    const QString folder = ui::start_folder(
        {last_history_folder(), QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
         QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath()});
    const auto chosen =
        prompter_.ask_open_path(QStringLiteral("取引履歴を開く"), folder,
                                QStringLiteral("CSV ファイル (*.csv *.CSV);;すべてのファイル (*)"));
    if (chosen)
        last_history_folder() = QFileInfo(*chosen).absolutePath();
    return chosen;
}

void Calculation::replay_chosen(const TableOrigin& origin)
{
    if (const auto path = ask_history_path())
        replay(*path, origin);
}

void Calculation::replay(const QString& path, const TableOrigin& origin)
{
    ui::ReplayWindow window(participants_, origin.data_file, prompter_);
    window.set_export_refusal(export_refusal_);
    window.set_table_edited(origin.edited);
    HistoryReader reader;
    ColumnMemory memory;
    QPointer<QWidget> chart;
    bool gave_up = false; // nothing to show: the window closes, or never shows

    const auto read = [&](const QString& file, HistoryEncoding encoding,
                          std::optional<std::vector<ColumnChoice>> columns) {
        reader.start({file, encoding, std::move(columns), memory.all(), table_, plans_});
        window.reading_started(file);
    };
    const auto give_up = [&] {
        gave_up = true;
        window.reject();
    };
    QObject::connect(&reader, &HistoryReader::finished, &window,
                     [&](const Outcome<ReplayReadingPtr>& outcome) {
                         window.reading_ended();
                         if (!outcome) {
                             prompter_.inform(QString::fromStdString(outcome.error().message));
                             if (window.shown())
                                 window.show_reading(window.shown()); // the lists as they were
                             else
                                 give_up();
                             return;
                         }
                         const ReplayReadingPtr& reading = outcome.value();
                         if (reading->chosen)
                             memory.remember(reading->summary.header, reading->columns);
                         window.show_reading(reading);
                         // A chart open shows the new figures.
                         if (chart) {
                             chart->close(); // deleted later: a new one is made at once
                             chart.clear();
                             if (!reading->costs.empty())
                                 bring_up(chart, [&] { return make_replay_chart(window, reading->months); });
                         }
                         if (!reading->problem.isEmpty())
                             prompter_.inform(reading->problem);
                     });
    QObject::connect(&window, &ui::ReplayWindow::read_requested, &window, [&] {
        if (window.shown())
            read(window.shown()->path, window.chosen_encoding(), window.chosen_columns());
    });
    QObject::connect(&window, &ui::ReplayWindow::automatic_requested, &window, [&] {
        if (!window.shown())
            return;
        memory.remember(window.shown()->summary.header, {});
        read(window.shown()->path, window.shown()->encoding_asked, std::vector<ColumnChoice>{});
    });
    QObject::connect(&window, &ui::ReplayWindow::open_requested, &window, [&] {
        if (const auto other = ask_history_path())
            read(*other, HistoryEncoding::Auto, std::nullopt);
    });
    QObject::connect(&window, &ui::ReplayWindow::file_dropped, &window,
                     [&](const QString& other) { read(other, HistoryEncoding::Auto, std::nullopt); });
    QObject::connect(&window, &ui::ReplayWindow::cancel_requested, &window, [&] {
        reader.cancel();
        window.reading_ended();
        if (!window.shown())
            give_up();
    });
    QObject::connect(&window, &ui::ReplayWindow::chart_requested, &window, [&] {
        if (window.shown() && !window.shown()->costs.empty())
            bring_up(chart, [&] { return make_replay_chart(window, window.shown()->months); });
    });

    read(path, HistoryEncoding::Auto, std::nullopt);
    // The main window takes no input meanwhile, as under the window to come.
    QEventLoop moment;
    QTimer::singleShot(kMomentMs, &moment, &QEventLoop::quit);
    QObject::connect(&reader, &HistoryReader::finished, &moment, &QEventLoop::quit);
    if (reader.busy())
        moment.exec(QEventLoop::ExcludeUserInputEvents);
    if (gave_up)
        return;
    if (reader.busy())
        window.reading_started(path, true);
    window.exec();
    if (chart)
        chart->close();
}

QWidget* Calculation::make_replay_chart(QWidget& window, const ui::ReplayMonths& months)
{
    ui::ChartModule* module = chart_module();
    return module ? module->make_replay_chart(participants_, months, &window) : nullptr;
}

} // namespace fee
