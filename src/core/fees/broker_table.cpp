#include "core/fees/broker_table.h"

#include <stdexcept>

namespace fee {

void BrokerTable::set_last_row(int last)
{
    if (last < 0 || last >= kTableRows)
        throw std::out_of_range("last row beyond the table");
    last_row_ = static_cast<std::uint8_t>(last);
}

} // namespace fee
