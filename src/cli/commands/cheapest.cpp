#include <QString>

#include "cli/commands/command.h"
#include "cli/commands/common.h"
#include "core/analysis/cheapest.h"
#include "core/money/number_text.h"

namespace fee {
namespace {

const OptionSpec kFrom{.name = "--from",
                       .values = "AMOUNT",
                       .help = "範囲の最初の金額 (既定 1)。円単位の整数、\"¥1,000,000\" も可"};
const OptionSpec kTo{
    .name = "--to", .values = "AMOUNT", .help = "範囲の最後の金額 (既定 100000000)。--from 以上"};

constexpr const OptionSpec* kOptions[] = {&kDailyOption, &kFormatOption, &kFrom, &kTo};

// A range end as the plan's amount boxes read it; only whole yen.
std::optional<std::int64_t> whole_yen(const char* option, const std::string& text, std::ostream& err)
{
    const auto amount = parse_currency(QString::fromStdString(text));
    if (!amount) {
        err << option << ": 金額"
            << (amount.error().kind == ParseError::Kind::OutOfRange ? "が大きすぎます"
                                                                    : "が数値ではありません")
            << ": \"" << text << "\"\n";
        return std::nullopt;
    }
    if (amount.value().units() % Money::kScale != 0) {
        err << option << ": 金額は円単位の整数にして下さい: \"" << text << "\"\n";
        return std::nullopt;
    }
    return amount.value().units() / Money::kScale;
}

// The table shows the range in yen, where the machine formats give plain amounts.
constexpr Column kColumns[] = {
    {.key = "from", .kind = CellKind::Number},
    {.key = "to", .kind = CellKind::Number},
    {.key = "row", .kind = CellKind::Participant, .heading = "番号", .place = 2, .width = 4},
    {.key = "name", .heading = "最も安い証券会社", .place = 5},
    {.key = "commission_from", .kind = CellKind::Number, .heading = "手数料 (最初)", .place = 3, .width = 16},
    {.key = "commission_to", .kind = CellKind::Number, .heading = "手数料 (最後)", .place = 4, .width = 16},
    {.kind = CellKind::Figure, .heading = "から", .place = 0, .width = 16},
    {.kind = CellKind::Figure, .heading = "まで", .place = 1, .width = 16, .gap = " 〜"},
};

int run(const Options& o, std::ostream& out, std::ostream& err)
{
    const auto read = read_table_and_plans(o, err);
    if (!read)
        return 1;
    const auto from = whole_yen("--from", o.value(kFrom).value_or("1"), err);
    if (!from)
        return 1;
    const auto to = whole_yen("--to", o.value(kTo).value_or("100000000"), err);
    if (!to)
        return 1;
    if (*from > *to) {
        err << "--from (" << *from << ") が --to (" << *to
            << ") より大きくなっています。\n詳しくは fee-compare-cli --help\n";
        return 2;
    }
    // A daily plan takes part as one trade a day.
    const Participants all(read->table, read->plans);
    const auto runs = cheapest_runs(all, {*from, *to});
    if (!runs) {
        err << trade_overflow_message(all, runs.error()) << "\n";
        return 1;
    }
    std::vector<Row> rows;
    for (const CheapestRun& r : runs.value()) {
        rows.push_back({QString::number(r.from), QString::number(r.to), all.id(r.row), all.name(r.row),
                        general_form(r.commission_from), general_form(r.commission_to),
                        currency_form(*Money::from_yen(r.from)), currency_form(*Money::from_yen(r.to))});
    }
    out << write_rows(o.format(), kColumns, rows);
    return 0;
}

} // namespace

namespace commands {
extern const Command cheapest{
    .name = "cheapest",
    .options = kOptions,
    .help = "1 回の取引の手数料がいちばん安い証券会社を、取引金額の範囲ごとに表示します。\n"
            "1 円刻みのどの金額についても正確です (同額は表の順で先の会社)。",
    .run = run,
};
} // namespace commands

} // namespace fee
