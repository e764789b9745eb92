#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/commission.h"
#include "core/trade_plan.h"
#include "gui/dialog.h"

namespace fee {
class BrokerTable;
}

namespace fee::ui {

// The trade plan: five rows of an amount per trade and a number of trades per
// year. 試算(&D) computes every broker's yearly cost from the boxes as they
// stand and hands the costs on (computed); a bad box or an overflow is refused
// with a message instead, and nothing is handed on.
class Form_sl : public Dialog {
    Q_OBJECT
public:
    explicit Form_sl(const BrokerTable& table);

    // Fills all ten boxes.
    void set_plan_texts(const PlanTexts& texts);

    QLabel Label1{this};
    std::array<QLineEdit, kPlanRows> l_sm_money;
    std::array<QLabel, kPlanRows> Label2;
    std::array<QLineEdit, kPlanRows> l_sl_num;
    std::array<QLabel, kPlanRows> Label3;
    QPushButton key_cal2{this};

signals:
    void computed(const fee::TradePlan& plan, const fee::YearlyCosts& costs);

private:
    void key_cal2_Click();
    void refuse(const QString& message, QLineEdit* box);

    const BrokerTable& table_;
};

} // namespace fee::ui
