#include <gtest/gtest.h>

#include "core/editing/daily_plan_texts.h"

using namespace fee;

namespace {

using Field = PlanFieldError::Field;

DailyPlanTexts good()
{
    return {"A", "0", {"500,000", "1000000"}, {"0", "¥1,100.5"}, "1,000,000", "1100", ""};
}

// Nothing is stored until every field converts; a refusal names the field
// and the tier, in the editor's order.
TEST(DailyPlanTexts, TheFirstFieldThatDoesNotConvertIsNamed)
{
    const auto plan = daily_plan_from_texts(good(), {"B"});
    ASSERT_TRUE(plan.ok()) << plan.error().message;
    EXPECT_EQ(plan->tiers[1].fee, Money::from_units(11'005'000));
    EXPECT_EQ(daily_plan_from_texts(daily_plan_texts(plan.value()), {}).value(), plan.value());

    const struct {
        void (*spoil)(DailyPlanTexts&);
        Field field;
        int row;
    } cases[] = {
        {[](DailyPlanTexts& t) { t.name = " "; }, Field::Name, 0},
        {[](DailyPlanTexts& t) { t.name = "B"; }, Field::Name, 0},
        {[](DailyPlanTexts& t) { t.yearly_fee = "-1"; }, Field::YearlyFee, 0},
        {[](DailyPlanTexts& t) { t.up_to[1] = "500000"; }, Field::UpTo, 1},
        {[](DailyPlanTexts& t) { t.up_to[0] = "0.5"; }, Field::UpTo, 0},
        {[](DailyPlanTexts& t) { t.fees[1] = "abc"; }, Field::Fee, 1},
        {[](DailyPlanTexts& t) { t.per = ""; }, Field::Per, 0},
        {[](DailyPlanTexts& t) { t.maximum = "x"; }, Field::Maximum, 0},
        {[](DailyPlanTexts& t) { t.up_to.clear(), t.fees.clear(); }, Field::UpTo, 0},
    };
    for (const auto& c : cases) {
        DailyPlanTexts texts = good();
        c.spoil(texts);
        const auto refused = daily_plan_from_texts(texts, {"B"});
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(std::pair(refused.error().field, refused.error().row), std::pair(c.field, c.row))
            << refused.error().message;
    }
}

} // namespace
