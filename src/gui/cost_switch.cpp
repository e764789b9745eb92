#include "questionnaire/cost_switch.h"

#include "broker_table/broker_table.h"
#include "questionnaire/question_layout.h"
#include "questionnaire/time_switch.h"

namespace fee::ui {

cost_switch::cost_switch(BrokerTable& table) : table_(table)
{
    setObjectName(QStringLiteral("cost_switch"));
    lay_out_question(*this, Label1, QStringLiteral("投資の金額はどのぐらいでしょうか"), key_low,
                     QStringLiteral("低額(&L)"), key_high, QStringLiteral("高額(&H)"));
    connect(&key_low, &QPushButton::clicked, this, &cost_switch::key_low_Click);
    connect(&key_high, &QPushButton::clicked, this, &cost_switch::key_high_Click);
}

void cost_switch::key_low_Click()
{
    z_answer(0);
}

void cost_switch::key_high_Click()
{
    z_answer(1);
}

void cost_switch::z_answer(std::uint8_t money)
{
    table_.sw_money = money;
    // This window is gone before the next question shows; its own modal loop
    // ends once the nested one returns.
    close();
    time_switch next(table_);
    next.exec();
}

} // namespace fee::ui
