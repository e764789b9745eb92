#include "core/editing/box_message.h"

#include <cstdint>
#include <limits>

#include "core/text/message_text.h"

namespace fee {
namespace {

constexpr std::int64_t kOku = 100'000'000;

// A count in whole 億回, toward zero: "21 億回" for the largest count.
std::string hundred_millions_of_times(std::int64_t count)
{
    return std::to_string(count / kOku) + " 億回";
}

std::string beyond_range(const BoxHints& hints, bool below)
{
    using Count = std::numeric_limits<std::int32_t>;
    switch (hints.range) {
    case BoxRange::Money:
        return below ? trillions_of_yen(Money::min()) + "より大きい金額にして下さい。"
                     : trillions_of_yen(Money::max()) + "より小さい金額にして下さい。";
    case BoxRange::Count:
        return below ? "回数は " + hundred_millions_of_times(Count::min()) + "より大きくして下さい。"
                     : "回数は " + hundred_millions_of_times(Count::max()) + "までにして下さい。";
    case BoxRange::None:
        break;
    }
    return hints.fix;
}

} // namespace

std::string box_error_message(const std::string& box, QStringView text, ParseError error,
                              const BoxHints& hints)
{
    if (text.isEmpty())
        return box + "が空です。" + hints.empty;
    const std::string quoted = in_brackets(text);
    if (error.kind == ParseError::Kind::OutOfRange)
        return box + (error.below ? "が小さすぎます: " : "が大きすぎます: ") + quoted + "。" +
               beyond_range(hints, error.below);
    return box + "が数値ではありません: " + quoted + "。" + hints.fix;
}

Outcome<std::int64_t> whole_yen_box(const std::string& box, QStringView text, const BoxHints& hints)
{
    const auto amount = parse_currency(text);
    if (!amount)
        return Error{box_error_message(box, text, amount.error(), hints)};
    if (amount->units() % Money::kScale != 0 || amount->units() < Money::kScale)
        return Error{box + "は 1 円以上の円単位の整数にして下さい: " + in_brackets(text) + "。"};
    return amount->units() / Money::kScale;
}

} // namespace fee
