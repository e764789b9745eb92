#include "core/fees/preset_plans.h"

namespace fee {
namespace {

const std::array<PresetPlan, 4> kPlans{{
    {"low-occasional",
     {"300,000", "500,000", "1,000,000", "3,000,000", "5,000,000"},
     {"10", "10", "5", "5", "3"}},
    {"low-frequent",
     {"300,000", "500,000", "1,000,000", "3,000,000", "5,000,000"},
     {"50", "50", "30", "10", "5"}},
    {"high-occasional",
     {"1,000,000", "3,000,000", "5,000,000", "10,000,000", "30,000,000"},
     {"5", "10", "10", "10", "10"}},
    {"high-frequent",
     {"1,000,000", "3,000,000", "5,000,000", "10,000,000", "30,000,000"},
     {"50", "50", "50", "30", "30"}},
}};

} // namespace

PlanTexts PresetPlan::texts() const
{
    PlanTexts t;
    for (int r = 0; r < kPlanRows; ++r) {
        t.amount[r] = QString::fromLatin1(amount[r]);
        t.count[r] = QString::fromLatin1(count[r]);
    }
    return t;
}

const PresetPlan& preset_plan(bool high_amounts, bool frequent)
{
    return kPlans[(high_amounts ? 2 : 0) + (frequent ? 1 : 0)];
}

const PresetPlan* preset_plan_by_key(std::string_view key)
{
    for (const PresetPlan& p : kPlans)
        if (p.key == key)
            return &p;
    return nullptr;
}

const std::array<PresetPlan, 4>& preset_plans()
{
    return kPlans;
}

} // namespace fee
