#pragma once

#include <array>
#include <string_view>

#include "core/fees/trade_plan.h"

namespace fee {

// The four trade plans that the style questions choose between. Amounts use a
// comma separator and no yen sign, exactly as they appear in the plan's boxes.
struct PresetPlan {
    std::string_view key; // the command-line companion's name for it
    std::array<std::string_view, kPlanRows> amount;
    std::array<std::string_view, kPlanRows> count;

    PlanTexts texts() const;
};

// The plan for the two style answers.
const PresetPlan& preset_plan(bool high_amounts, bool frequent);
// "low-occasional", "low-frequent", "high-occasional" or "high-frequent"; null otherwise.
const PresetPlan* preset_plan_by_key(std::string_view key);
const std::array<PresetPlan, 4>& preset_plans();

} // namespace fee
