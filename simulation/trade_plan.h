#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "broker_table/money.h"
#include "broker_table/number_text.h"
#include "broker_table/result.h"

namespace fee {

inline constexpr int kPlanRows = 5;

// One row of a year's trading: `count` trades of `amount` yen each.
struct PlanRow {
    Money amount;
    std::int32_t count = 0;
};
using TradePlan = std::array<PlanRow, kPlanRows>;

// The texts of the trade plan window's boxes, l_sm_money(r) and l_sl_num(r).
struct PlanTexts {
    std::array<std::string, kPlanRows> amount;
    std::array<std::string, kPlanRows> count;
};

struct PlanBoxError {
    int row = 0;
    bool is_count = false;
    std::string text;
    ParseError::Kind kind = ParseError::Kind::NotNumber;

    std::string box_name() const; // for example "2 行目の回数"
    std::string message() const;
};

// Amounts as currency, counts as signed 32-bit (halves to even), row by row,
// amount before count; the first box that fails is reported.
Result<TradePlan, PlanBoxError> parse_plan(const PlanTexts& texts);

} // namespace fee
