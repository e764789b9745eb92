#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "core/money/money.h"
#include "core/replay/history.h"

namespace fee {

// The cells of a history, read on their bytes where they are ASCII (dates,
// figures): only the header and the side cells are decoded as text.

// Whether `bytes` is UTF-8 throughout. Hand-written rather than a decoder, so
// that a large file is checked without a copy of it as text.
bool is_valid_utf8(std::string_view bytes);

// A cell's text in the file's encoding.
QString decode_cell(std::string_view bytes, HistoryEncoding encoding);

// A header cell as names are compared: NFKC, bracketed parts ((…), […], and
// their full-width forms) and blanks removed.
QString normalised_header(const QString& cell);

// What a figure cell holds.
struct Figure {
    enum class Kind { None, Number, Bad };
    Kind kind = Kind::None; // None: empty, "-" or "--"
    Money value;
};
// "1,066.5", "¥2,000", "－", full-width digits; a figure finer than 1/10,000
// yen is Bad, as is anything but a number.
Figure read_figure(std::string_view bytes, HistoryEncoding encoding);

// "2025/03/04", "2025/3/4", "2025-03-04" or "2025年3月4日", a time after it
// allowed; as yyyymmdd, nothing when it is no date of the calendar.
std::optional<HistoryDate> read_date(std::string_view bytes, HistoryEncoding encoding);

// quantity x price exact to 1/10,000 yen, a finer product rounded half to
// even (`rounded` says so); nothing beyond the money range.
std::optional<Money> times_price(Money quantity, Money price, bool& rounded);

} // namespace fee
