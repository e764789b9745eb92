#include "core/fees/trade_plan.h"

#include "core/editing/box_message.h"

namespace fee {

std::string PlanBoxError::box_name() const
{
    return "取引の予定の " + std::to_string(row + 1) + (is_count ? " 行目の回数" : " 行目の約定代金");
}

std::string PlanBoxError::message() const
{
    const std::string hint = is_count ? "1 年間の取引の回数を数字で入れて下さい（しないなら 0）。"
                                      : "1 回の取引の約定代金を円で入れて下さい（例: 1,000,000）。";
    return box_error_message(box_name(), text, {kind, below},
                             {hint, hint, is_count ? BoxRange::Count : BoxRange::Money});
}

Outcome<TradePlan, PlanBoxError> parse_plan(const PlanTexts& texts)
{
    TradePlan plan{};
    for (int r = 0; r < kPlanRows; ++r) {
        const auto amount = parse_currency(texts.amount[r]);
        if (!amount)
            return PlanBoxError{r, false, texts.amount[r], amount.error().kind, amount.error().below};
        const auto count = parse_int32(texts.count[r]);
        if (!count)
            return PlanBoxError{r, true, texts.count[r], count.error().kind, count.error().below};
        plan[r] = PlanRow{amount.value(), count.value()};
    }
    return plan;
}

} // namespace fee
