#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <string>

#include "core/money/money.h"
#include "core/outcome.h"

namespace fee {

// Text <-> value conversions shared by the editor, the trade plan and the data file.
// Texts are UTF-16, as the windows hold them. Nothing here consults the C or C++
// locale. The decimal scanner and the seven-digit general form are written here
// because no library has their exact rules (commas only in groups of three,
// full-width forms, halves to even on the decimal text; seven significant digits
// that read back to the same single).
//
// Accepted number text: blanks (space, tab, ideographic space) around it, an
// optional sign and an optional yen sign ("¥", "\" or "￥") in either order, digits
// with optional comma separators in groups of three, an optional decimal point
// with a fraction. Rates may also carry an exponent ("1.5E-06"). Full-width
// digits, signs, comma and point are read as their ASCII forms.

struct ParseError {
    enum class Kind { NotNumber, OutOfRange };
    Kind kind = Kind::NotNumber;
    bool below = false; // out of range on the low side: too small, not too big
};

// Rounds to four decimals, ties to even.
Outcome<Money, ParseError> parse_currency(QStringView text);
// Nearest single.
Outcome<float, ParseError> parse_single(QStringView text);
// Whole numbers, ties to even (2.5 -> 2, 3.5 -> 4).
Outcome<std::uint8_t, ParseError> parse_byte(QStringView text);
Outcome<std::int32_t, ParseError> parse_int32(QStringView text);

// General form: plain decimal without separators or yen sign.
QString general_form(Money value);        // "2000", "0.0115", "-3.5"
QString general_form(float value);        // 7 significant digits: "0.00575"
QString general_form(std::int64_t value); // bytes and counts

// Currency form: "¥1,000,000". Whole yen, halves rounded away from zero
// (四捨五入); a negative amount reads "-¥1,000".
QString currency_form(Money value);

// The currency form with every decimal the amount has, for a box that must
// give back exactly what it was shown: "¥1,000,000.5", "¥2,500".
QString exact_currency_form(Money value);

// An amount in whole 兆円, toward zero, as the messages give the ends of the
// money range: "922 兆円" for Money::max().
std::string trillions_of_yen(Money amount);

} // namespace fee
