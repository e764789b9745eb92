#pragma once

namespace fee {

class BrokerTable;

// The calculation chain started by 試算(&C): the two style questions, the trade
// plan and the result grid, each modal above the last. Returns when the last
// window of the chain has closed. Reads the table and writes only com_cost and
// the style flags.
void run_questionnaire(BrokerTable& table);

} // namespace fee
