#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "core/fees/daily_plan.h"
#include "core/outcome.h"

namespace fee {

// The plan window's editor as texts, one per field; the window only moves
// them to and from its boxes.
struct DailyPlanTexts {
    QString name;
    QString yearly_fee;
    QStringList up_to; // a tier a row, with its fee
    QStringList fees;
    QString per; // both empty: no step above the last tier
    QString per_fee;
    QString maximum; // empty: none
};

// Which field of the editor a refusal names; `row` is the tier's, from 0.
struct PlanFieldError {
    enum class Field { Name, YearlyFee, UpTo, Fee, Per, PerFee, Maximum };
    Field field = Field::Name;
    int row = 0;
    std::string message; // names the plan, the field and the text, and what to type
};

DailyPlanTexts daily_plan_texts(const DailyPlan& plan);

// The plan when every field converts and the tiers ascend; else the first
// field that does not, in the editor's order. `others` are the names of the
// other plans, which this one may not repeat.
Outcome<DailyPlan, PlanFieldError> daily_plan_from_texts(const DailyPlanTexts& texts,
                                                         const QStringList& others);

} // namespace fee
