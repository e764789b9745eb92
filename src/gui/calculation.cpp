#include "gui/calculation.h"

#include "core/cost_messages.h"
#include "core/preset_plans.h"
#include "gui/chart_window.h"
#include "gui/cost_switch.h"
#include "gui/form_sl.h"
#include "gui/prompter.h"
#include "gui/result_window.h"
#include "gui/time_switch.h"

namespace fee {

void Calculation::run()
{
    std::optional<bool> high_amounts;
    {
        ui::cost_switch question;
        question.exec();
        high_amounts = question.high_amounts();
    }
    if (!high_amounts)
        return;
    std::optional<bool> frequent;
    {
        ui::time_switch question;
        question.exec();
        frequent = question.frequent();
    }
    if (!frequent)
        return;

    // Filled while hidden: the user sees the preset, never the design texts.
    ui::Form_sl plan_window(prompter_);
    plan_window.set_plan_texts(preset_plan(*high_amounts, *frequent).texts());
    QObject::connect(&plan_window, &ui::Form_sl::plan_entered, &plan_window,
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

void Calculation::show_result(QDialog& plan_window, const TradePlan& plan, YearlyCosts costs)
{
    // Modal above the plan, which stays open beneath it. A fresh grid for
    // every computation, and its chart closes with it.
    ui::result grid(table_, std::move(costs), prompter_);
    QPointer<ui::chart_window> chart;
    QObject::connect(&grid, &ui::result::chart_requested, &grid,
                     [this, &chart, &grid, &plan] { show_chart(chart, grid, plan); });
    QObject::connect(&grid, &QDialog::finished, &grid, [&chart] {
        if (chart)
            chart->close();
    });
    if (grid.exec() == ui::result::kCloseWithPlan)
        plan_window.close();
}

// One chart per result grid; a second request brings it up. The grid's
// child, so that it takes input above the modal grid.
void Calculation::show_chart(QPointer<ui::chart_window>& chart, QWidget& grid, const TradePlan& plan)
{
    if (!chart) {
        chart = new ui::chart_window(table_, plan, &grid);
        chart->setAttribute(Qt::WA_DeleteOnClose);
    }
    chart->show();
    chart->raise();
    chart->activateWindow();
}

} // namespace fee
