#include "broker_table/broker_table.h"

#include <stdexcept>

namespace fee {

void BrokerTable::set_com_last(std::uint8_t last)
{
    if (last >= kTableRows)
        throw std::out_of_range("com_last beyond the table");
    com_last_ = last;
}

} // namespace fee
