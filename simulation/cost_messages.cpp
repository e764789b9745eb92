#include "simulation/cost_messages.h"

#include "broker_table/codepage.h"

namespace fee {

std::string cost_overflow_message(const BrokerTable& table, const CostOverflow& overflow)
{
    const QString name = quote_for_message(decode_cp932(table.com_name(overflow.broker)));
    return QStringLiteral("%1 番目の証券会社「%2」の年間費用が大きすぎて計算できません（金額の桁あふれ）。"
                          "取引の金額か回数を小さくして下さい。")
        .arg(overflow.broker + 1)
        .arg(name)
        .toStdString();
}

} // namespace fee
