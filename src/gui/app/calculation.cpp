#include "gui/app/calculation.h"

#include "core/analysis/accounts.h"
#include "core/fees/cost_messages.h"
#include "core/fees/preset_plans.h"
#include "gui/app/prompter.h"
#include "gui/chart/chart_module.h"
#include "gui/windows/account_sets_window.h"
#include "gui/windows/dialog.h"
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
    auto costs = compute_yearly_costs(table_, plan);
    if (!costs) {
        prompter_.inform(QString::fromStdString(cost_overflow_message(table_, costs.error(), plan)));
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
    ui::ResultWindow grid(table_, std::move(costs), prompter_);
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
QWidget* Calculation::make_chart_window(QWidget& grid, const TradePlan& plan)
{
    QString why;
    ui::ChartModule* module = ui::load_chart_module(why);
    if (!module) {
        prompter_.inform(
            QStringLiteral("グラフを開けません。グラフの部品 %1。プログラムを入れ直して下さい。").arg(why));
        return nullptr;
    }
    return module->make_chart(table_, plan, &grid);
}

// Up to three accounts, as many as a user weighs; where no set can carry the
// plan, the reason instead of an empty window.
QWidget* Calculation::make_account_sets_window(QWidget& grid, const TradePlan& plan)
{
    const auto sets = cheapest_account_sets(table_, plan, 3);
    if (!sets) {
        prompter_.inform(QString::fromStdString(accounts_failure_message(sets.error())));
        return nullptr;
    }
    return new ui::AccountSetsWindow(table_, plan, sets.value(), &grid);
}

} // namespace fee
