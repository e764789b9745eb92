#include "questionnaire/time_switch.h"

#include "broker_table/broker_table.h"
#include "questionnaire/preset_plans.h"
#include "questionnaire/question_layout.h"
#include "simulation/form_sl.h"

namespace fee::ui {

time_switch::time_switch(BrokerTable& table) : table_(table)
{
    setObjectName(QStringLiteral("time_switch"));
    lay_out_question(*this, Label1, QStringLiteral("売買の回数はどのぐらいでしょうか"), key_few,
                     QStringLiteral("たまに(&J)"), key_many, QStringLiteral("頻繁(&I)"));
    connect(&key_few, &QPushButton::clicked, this, &time_switch::key_few_Click);
    connect(&key_many, &QPushButton::clicked, this, &time_switch::key_many_Click);
}

time_switch::~time_switch() = default;

void time_switch::key_few_Click()
{
    z_answer(0);
}

void time_switch::key_many_Click()
{
    z_answer(1);
}

void time_switch::z_answer(std::uint8_t time)
{
    table_.sw_time = time;
    z_set_fig_data();
    close();
    form_sl_->exec();
    // Unloaded: the next run loads the trade plan window afresh.
    form_sl_.reset();
}

void time_switch::z_set_fig_data()
{
    const PlanTexts plan = preset_plan(table_.sw_money, table_.sw_time).texts();
    if (!form_sl_)
        form_sl_ = std::make_unique<Form_sl>(table_);
    for (int i = 0; i < kPlanRows; ++i) {
        form_sl_->l_sm_money[i].setText(QString::fromStdString(plan.amount[i]));
        form_sl_->l_sl_num[i].setText(QString::fromStdString(plan.count[i]));
    }
}

} // namespace fee::ui
