#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <memory>

#include "simulation/trade_plan.h"

namespace fee {
class BrokerTable;
}

namespace fee::ui {

class result;

// The trade plan: five rows of an amount per trade and a number of trades per
// year. 試算(&D) computes every broker's yearly cost from the boxes as they
// stand and shows the result grid above this window.
class Form_sl : public QDialog {
    Q_OBJECT
public:
    explicit Form_sl(BrokerTable& table);
    ~Form_sl() override;

    QLabel Label1{this};
    std::array<QLineEdit, kPlanRows> l_sm_money;
    std::array<QLabel, kPlanRows> Label2;
    std::array<QLineEdit, kPlanRows> l_sl_num;
    std::array<QLabel, kPlanRows> Label3;
    QPushButton key_cal2{this};

private:
    void key_cal2_Click();
    void z_fig_ini();
    void z_refuse(const QString& message, QLineEdit* box);

    BrokerTable& table_;
    std::unique_ptr<ui::result> result_; // qualified: QDialog has a result() of its own
};

} // namespace fee::ui
