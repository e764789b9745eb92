#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "broker_table/money.h"
#include "broker_table/result.h"

namespace fee {

// Text <-> value conversions shared by the editor, the trade plan and the data file.
// Texts are UTF-8. Nothing here consults the C or C++ locale.
//
// Accepted number text: blanks (space, tab, ideographic space) around it, an
// optional sign and an optional yen sign ("¥", "\" or "￥") in either order, digits
// with optional comma separators in groups of three, an optional decimal point
// with a fraction. Rates may also carry an exponent ("1.5E-06"). Full-width
// digits, signs, comma and point are read as their ASCII forms.

struct ParseError {
    enum class Kind { NotNumber, OutOfRange };
    Kind kind = Kind::NotNumber;
};

// Rounds to four decimals, ties to even.
Result<Money, ParseError> parse_currency(std::string_view text);
// Nearest single.
Result<float, ParseError> parse_single(std::string_view text);
// Whole numbers, ties to even (2.5 -> 2, 3.5 -> 4).
Result<std::uint8_t, ParseError> parse_byte(std::string_view text);
Result<std::int32_t, ParseError> parse_int32(std::string_view text);

// General form: plain decimal without separators or yen sign.
std::string general_form(Money value);        // "2000", "0.0115", "-3.5"
std::string general_form(float value);        // 7 significant digits: "0.00575"
std::string general_form(std::int64_t value); // bytes and counts

// Currency form: "¥1,000,000". Whole yen, halves rounded away from zero
// (四捨五入); a negative amount reads "-¥1,000".
std::string currency_form(Money value);

} // namespace fee
