#pragma once

#include <QStringView>
#include <string>

#include "core/money/money.h"
#include "core/money/number_text.h"
#include "core/outcome.h"

namespace fee {

// What a box holds, for the advice on a text beyond its range: the limit of
// its type, or (None) the caller's own advice again.
enum class BoxRange { None, Money, Count };

// What to type into a box, as its refusal advises it.
struct BoxHints {
    std::string empty; // into the empty box
    std::string fix;   // instead of a text that is not a number
    BoxRange range = BoxRange::None;
};

// "取引の予定の 2 行目の回数が大きすぎます: 「3,000,000,000」。回数は 21 億回までにして下さい。":
// `box` in the user's words, what is wrong with `text`, the text in 「」 and what
// to do about it.
std::string box_error_message(const std::string& box, QStringView text, ParseError error,
                              const BoxHints& hints);

// A box of whole yen from 1 up: its figure, or why not, with `box` named.
Outcome<std::int64_t> whole_yen_box(const std::string& box, QStringView text, const BoxHints& hints);

} // namespace fee
