#include "core/editing/daily_plan_texts.h"

#include "core/editing/box_message.h"
#include "core/money/number_text.h"
#include "core/text/message_text.h"

namespace fee {
namespace {

const BoxHints kMoneyHints{"金額を円で入れて下さい。", "円の金額を数字で入れて下さい（例: 1,000,000）。",
                           BoxRange::Money};

using Field = PlanFieldError::Field;

class Converter {
public:
    Converter(const QString& name)
        : who_(name.trimmed().isEmpty() ? std::string("1日定額のプラン") : "1日定額" + in_brackets(name))
    {
    }

    // A fee or amount of yen, at least 0; `empty_is_zero` for the optional ones.
    Outcome<Money, PlanFieldError> amount(const QString& text, Field field, int row, const std::string& box,
                                          bool empty_is_zero) const
    {
        if (empty_is_zero && text.trimmed().isEmpty())
            return Money{};
        const auto read = parse_currency(text);
        if (!read)
            return refuse(field, row, box, text, read.error());
        if (read.value() < Money{})
            return PlanFieldError{
                field, row, who_ + "の" + box + "が負です: " + in_brackets(text) + "。0 以上にして下さい。"};
        return read.value();
    }

    // Whole yen, at least 1.
    Outcome<std::int64_t, PlanFieldError> whole(const QString& text, Field field, int row,
                                                const std::string& box) const
    {
        auto read = whole_yen_box(who_ + "の" + box, text, kMoneyHints);
        if (!read)
            return PlanFieldError{field, row, read.error().message};
        return read.value();
    }

    PlanFieldError wrong(Field field, int row, const std::string& what) const
    {
        return {field, row, who_ + what};
    }

private:
    PlanFieldError refuse(Field field, int row, const std::string& box, const QString& text,
                          ParseError error) const
    {
        return {field, row, box_error_message(who_ + "の" + box, text, error, kMoneyHints)};
    }

    std::string who_;
};

} // namespace

DailyPlanTexts daily_plan_texts(const DailyPlan& plan)
{
    // As the main window's boxes show money: yen and separators, a fraction kept.
    DailyPlanTexts texts{plan.name, exact_currency_form(plan.yearly_fee), {}, {}, {}, {}, {}};
    for (const DailyTier& tier : plan.tiers) {
        texts.up_to << exact_currency_form(Money::from_whole_yen(tier.up_to));
        texts.fees << exact_currency_form(tier.fee);
    }
    if (plan.above) {
        texts.per = exact_currency_form(Money::from_whole_yen(plan.above->per));
        texts.per_fee = exact_currency_form(plan.above->fee);
    }
    if (plan.maximum != Money{})
        texts.maximum = exact_currency_form(plan.maximum);
    return texts;
}

Outcome<DailyPlan, PlanFieldError> daily_plan_from_texts(const DailyPlanTexts& texts,
                                                         const QStringList& others)
{
    const Converter in(texts.name);
    DailyPlan plan;
    plan.name = texts.name.trimmed();
    if (plan.name.isEmpty())
        return in.wrong(Field::Name, 0, "の名前が空です。名前を入れて下さい。");
    if (others.contains(plan.name))
        return in.wrong(Field::Name, 0, "と同じ名前のプランがもうあります。別の名前にして下さい。");
    const auto fee = in.amount(texts.yearly_fee, Field::YearlyFee, 0, "年間の維持費", true);
    if (!fee)
        return fee.error();
    plan.yearly_fee = fee.value();
    for (int r = 0; r < texts.up_to.size(); ++r) {
        const std::string tier = std::to_string(r + 1) + " 段目の";
        const auto up_to = in.whole(texts.up_to[r], Field::UpTo, r, tier + "上限額");
        if (!up_to)
            return up_to.error();
        if (!plan.tiers.empty() && up_to.value() <= plan.tiers.back().up_to)
            return in.wrong(Field::UpTo, r,
                            "の" + tier + "上限額が前の段より大きくありません: " +
                                in_brackets(texts.up_to[r]) + "。段は金額の小さい順にして下さい。");
        const auto tier_fee = in.amount(texts.fees.value(r), Field::Fee, r, tier + "手数料", false);
        if (!tier_fee)
            return tier_fee.error();
        plan.tiers.push_back({up_to.value(), tier_fee.value()});
    }
    if (plan.tiers.empty())
        return in.wrong(Field::UpTo, 0, "に段がありません。少なくとも 1 段入れて下さい。");
    if (!texts.per.trimmed().isEmpty() || !texts.per_fee.trimmed().isEmpty()) {
        const auto per = in.whole(texts.per, Field::Per, 0, "それ以上の刻み");
        if (!per)
            return per.error();
        const auto per_fee = in.amount(texts.per_fee, Field::PerFee, 0, "刻みごとの手数料", false);
        if (!per_fee)
            return per_fee.error();
        plan.above = DailyStep{per.value(), per_fee.value()};
    }
    const auto maximum = in.amount(texts.maximum, Field::Maximum, 0, "上限", true);
    if (!maximum)
        return maximum.error();
    plan.maximum = maximum.value();
    return plan;
}

} // namespace fee
