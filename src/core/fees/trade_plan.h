#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>

#include "core/money/money.h"
#include "core/money/number_text.h"
#include "core/outcome.h"

namespace fee {

inline constexpr int kPlanRows = 5;

// One row of a year's trading: `count` trades of `amount` yen each.
struct PlanRow {
    Money amount;
    std::int32_t count = 0;

    bool operator==(const PlanRow&) const = default;
};
using TradePlan = std::array<PlanRow, kPlanRows>;

// The texts of the trade plan window's boxes, amount_box(r) and count_box(r).
struct PlanTexts {
    std::array<QString, kPlanRows> amount;
    std::array<QString, kPlanRows> count;
};

struct PlanBoxError {
    int row = 0;
    bool is_count = false;
    QString text;
    ParseError::Kind kind = ParseError::Kind::NotNumber;
    bool below = false; // out of range on the low side

    std::string box_name() const; // for example "2 行目の回数"
    std::string message() const;
};

// Amounts as currency, counts as signed 32-bit (halves to even), row by row,
// amount before count; the first box that fails is reported.
Outcome<TradePlan, PlanBoxError> parse_plan(const PlanTexts& texts);

} // namespace fee
