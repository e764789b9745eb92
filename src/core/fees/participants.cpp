#include "core/fees/participants.h"

#include "core/fees/commission.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"

namespace fee {

const DailyPlans& Participants::no_plans()
{
    static const DailyPlans none;
    return none;
}

std::optional<Money> Participants::commission(int i, Money amount) const
{
    return is_plan(i) ? day_fee(plan(i), amount) : trade_commission(broker(i), amount);
}

Money Participants::yearly_fee(int i) const
{
    return is_plan(i) ? plan(i).yearly_fee : broker(i).yearly_fee;
}

QString Participants::name(int i) const
{
    return is_plan(i) ? plan(i).name : decode_cp932(broker(i).name);
}

QString Participants::id(int i) const
{
    return is_plan(i) ? QStringLiteral("D%1").arg(i - broker_count()) : QString::number(i);
}

std::string Participants::label(int i) const
{
    return is_plan(i) ? "1日定額" + in_brackets(plan(i).name) : broker_label(i, broker(i).name);
}

} // namespace fee
