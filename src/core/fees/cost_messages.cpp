#include "core/fees/cost_messages.h"

#include "core/money/number_text.h"

namespace fee {
namespace {

std::string headline(const Participants& participants, const CostOverflow& overflow)
{
    return participants.label(overflow.broker) + "の年間費用が大きすぎて計算できません（" +
           trillions_of_yen(Money::max()) + "を超えます）。";
}

// The step of the yearly cost that leaves the money range, in the user's words.
std::string cause(const Participants& participants, int i, const TradePlan& plan)
{
    const bool daily = participants.is_plan(i);
    const std::string who = daily ? "このプラン" : "この証券会社";
    // What sets one trade's fee: a broker's rates, a plan's tiers and steps.
    const std::string schedule = daily ? "の段と刻みの手数料" : "の手数料率と付加";
    const std::string fee = "維持費を足すと大きすぎます。" + who + "の維持費を見直して下さい。";
    const auto cost = yearly_cost(participants, i, plan);
    if (cost)
        return fee;
    const CostStepOverflow& at = cost.error();
    const std::string row = "取引の予定の " + std::to_string(at.row + 1) + " 行目";
    switch (at.step) {
    case CostStep::TradeCommission:
        return row + "の 1 回の手数料が大きすぎます。" + who + schedule +
               "、または約定代金を見直して下さい。";
    case CostStep::TimesCount: {
        const bool minimum =
            !daily && participants.broker(i).minimum != Money{} &&
            participants.commission(i, plan[at.row].amount) == participants.broker(i).minimum;
        return row + "の回数をかけると大きすぎます。" +
               (minimum ? std::string("この証券会社の下限が大きすぎないか、または回数を見直して下さい。")
                        : "回数か、" + who + (daily ? schedule : "の手数料率・付加") + "を見直して下さい。");
    }
    case CostStep::RowSum:
        return row + "までの手数料の合計が大きすぎます。取引の予定の約定代金か回数を小さくして下さい。";
    case CostStep::YearlyFee:
        break;
    }
    return fee;
}

} // namespace

std::string cost_overflow_message(const Participants& participants, const CostOverflow& overflow,
                                  const TradePlan& plan)
{
    return headline(participants, overflow) + cause(participants, overflow.broker, plan);
}

} // namespace fee
