#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/fees/trade_plan.h"
#include "gui/windows/dialog.h"

namespace fee::ui {

class Prompter;

// The trade plan: five rows of an amount per trade and a number of trades per
// year. 試算(&D) reads the boxes as they stand and hands the plan on
// (plan_entered); a box that is not a number is refused through the prompter,
// naming the box, which gets the focus, and nothing is handed on.
class Form_sl : public Dialog {
    Q_OBJECT
public:
    explicit Form_sl(Prompter& prompter, QWidget* parent = nullptr);

    // Fills all ten boxes.
    void set_plan_texts(const PlanTexts& texts);

signals:
    void plan_entered(const fee::TradePlan& plan);

private:
    void key_cal2_Click();
    void place_row(int row);
    void set_tab_order();

    Prompter& prompter_;
    QLabel Label1_{this};
    std::array<QLineEdit, kPlanRows> l_sm_money_;
    std::array<QLabel, kPlanRows> Label2_;
    std::array<QLineEdit, kPlanRows> l_sl_num_;
    std::array<QLabel, kPlanRows> Label3_;
    QPushButton key_cal2_{this};
};

} // namespace fee::ui
