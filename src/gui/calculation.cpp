#include "questionnaire/questionnaire.h"

#include "broker_table/broker_table.h"
#include "questionnaire/cost_switch.h"

namespace fee {

void run_questionnaire(BrokerTable& table)
{
    // No owner: while the chain is open no window of the program takes input.
    ui::cost_switch question(table);
    question.exec();
}

} // namespace fee
