#include "simulation/trade_plan.h"

namespace fee {

std::string PlanBoxError::box_name() const
{
    return std::to_string(row + 1) + (is_count ? " 行目の回数" : " 行目の金額");
}

std::string PlanBoxError::message() const
{
    std::string shown = text;
    if (shown.size() > 120)
        shown = shown.substr(0, 120);
    // Do not cut a UTF-8 sequence in half.
    while (!shown.empty() && shown.size() < text.size() &&
           (static_cast<unsigned char>(text[shown.size()]) & 0xC0) == 0x80)
        shown.pop_back();
    if (shown.size() < text.size())
        shown += "…";
    if (text.empty())
        return box_name() + "が空です。数値を入れて下さい。";
    if (kind == ParseError::Kind::OutOfRange)
        return box_name() + (is_count ? "が大きすぎます（21 億回まで）: \"" : "が大きすぎます: \"") + shown +
               "\"";
    return box_name() + "が数値ではありません: \"" + shown + "\"";
}

Result<TradePlan, PlanBoxError> parse_plan(const PlanTexts& texts)
{
    TradePlan plan{};
    for (int r = 0; r < kPlanRows; ++r) {
        const auto amount = parse_currency(texts.amount[r]);
        if (!amount)
            return PlanBoxError{r, false, texts.amount[r], amount.error().kind};
        const auto count = parse_int32(texts.count[r]);
        if (!count)
            return PlanBoxError{r, true, texts.count[r], count.error().kind};
        plan[r] = PlanRow{amount.value(), count.value()};
    }
    return plan;
}

} // namespace fee
