#pragma once

#include <array>

#include "core/fees/trade_plan.h"
#include "gui/windows/dialog.h"

class QLineEdit;
class QPushButton;

namespace fee::ui {

class Prompter;

// The trade plan: five rows of an amount per trade and a number of trades per
// year. 試算(&D) reads the boxes as they stand and hands the plan on
// (plan_entered); a box that is not a number is refused through the prompter,
// naming the box, which gets the focus, and nothing is handed on.
class TradePlanWindow : public Dialog {
    Q_OBJECT
public:
    explicit TradePlanWindow(Prompter& prompter, QWidget* parent = nullptr);

    // Fills all ten boxes.
    void set_plan_texts(const PlanTexts& texts);

signals:
    void plan_entered(const fee::TradePlan& plan);

private:
    void submit_plan();
    void set_tab_order();

    Prompter& prompter_;
    std::array<QLineEdit*, kPlanRows> amount_boxes_{};
    std::array<QLineEdit*, kPlanRows> count_boxes_{};
    QPushButton* submit_button_ = nullptr;
};

} // namespace fee::ui
