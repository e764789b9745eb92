#include "gui/calculation.h"

#include "core/preset_plans.h"
#include "gui/cost_switch.h"
#include "gui/form_sl.h"
#include "gui/result_window.h"
#include "gui/time_switch.h"

namespace fee {

void Calculation::run()
{
    {
        ui::cost_switch question;
        question.exec();
        high_amounts_ = question.high_amounts();
    }
    if (!high_amounts_)
        return;
    {
        ui::time_switch question;
        question.exec();
        frequent_ = question.frequent();
    }
    if (!frequent_)
        return;

    // Filled while hidden: the user sees the preset, never the design texts.
    ui::Form_sl plan(table_);
    plan.set_plan_texts(preset_plan(*high_amounts_, *frequent_).texts());
    QObject::connect(&plan, &ui::Form_sl::computed, &plan,
                     [this, &plan](const TradePlan& trades, const YearlyCosts& costs) {
                         show_result(plan, trades, costs);
                     });
    plan.exec();
}

void Calculation::show_result(QDialog& plan, const TradePlan& trades, const YearlyCosts& costs)
{
    last_costs_ = costs;
    // Modal above the plan, which stays open beneath it. A fresh grid for
    // every computation.
    ui::result grid(table_, trades, costs);
    if (grid.exec() == ui::result::kCloseWithPlan)
        plan.close();
}

} // namespace fee
