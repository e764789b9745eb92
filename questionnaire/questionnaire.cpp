#include "questionnaire/questionnaire.h"

#include "broker_table/broker_table.h"

namespace fee {

// Placeholder until the question windows exist.
void run_questionnaire(BrokerTable&) {}

} // namespace fee
