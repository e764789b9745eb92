#include "core/fees/broker_table.h"

#include <stdexcept>

namespace fee {

void BrokerTable::set_last_broker(int last)
{
    if (last < 0 || last >= kMaxBrokers)
        throw std::out_of_range("last broker beyond the table");
    last_broker_ = static_cast<std::uint8_t>(last);
}

} // namespace fee
