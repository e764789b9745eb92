#include <QString>
#include <QStringList>
#include <algorithm>

#include "cli/commands/command.h"
#include "cli/commands/common.h"
#include "core/analysis/accounts.h"
#include "core/money/number_text.h"

namespace fee {
namespace {

std::optional<Usage> check_max(const std::string& text)
{
    const auto k = whole_number(text);
    if (!k || *k < 1)
        return Usage{"--max は 1 以上の口座の数です: 「" + text + "」"};
    return {};
}

const OptionSpec kMax{.name = "--max",
                      .values = "K",
                      .help = "口座の数の上限 (既定 3、1 以上。証券会社とプランの数より多ければ全部)",
                      .check = check_max};

constexpr const OptionSpec* kOptions[] = {&kRowOption, &kPresetOption, &kDailyOption, &kFormatOption, &kMax};

// At least one account; more than there are brokers and plans means all of them.
int max_accounts(const Options& o)
{
    const auto text = o.value(kMax);
    return text ? static_cast<int>(std::min<std::int64_t>(*whole_number(*text), kMaxBrokers + kMaxDailyPlans))
                : 3;
}

// The CSV's fields first, in their documented order, then what only JSON
// adds; the table puts the yen first, as compare's does.
constexpr Column kColumns[] = {
    {.key = "accounts", .kind = CellKind::Number, .heading = "口座", .place = 0, .width = 4},
    {.key = "total", .kind = CellKind::Number, .heading = "正確な額", .place = 2, .width = 22},
    {.key = "rows", .kind = CellKind::Figure, .heading = "番号", .place = 4, .width = 10},
    {.key = "names", .heading = "証券会社", .place = 5},
    {.key = "yen",
     .kind = CellKind::Figure,
     .in_csv = false,
     .heading = "年間の合計",
     .place = 1,
     .width = 14},
    {.key = "saving", .kind = CellKind::Json, .in_csv = false},
    {.key = "takers", .kind = CellKind::Json, .in_csv = false},
    {.kind = CellKind::Figure, .heading = "1 社との差", .place = 3, .width = 14},
};

Row accounts_row(const Participants& all, const AccountSet& set, std::optional<Money> saving)
{
    QStringList rows, names, takers;
    for (const int m : set.members) {
        rows << all.id(m);
        names << all.name(m);
    }
    for (const std::optional<int>& taker : set.taker)
        takers << (taker ? json_participant(all.id(*taker)) : QStringLiteral("null"));
    return {QString::number(set.size),
            general_form(set.total),
            rows.join(u';'),
            names.join(u';'),
            currency_form(set.total),
            saving ? general_form(*saving) : QStringLiteral("null"),
            u'[' + takers.join(QStringLiteral(", ")) + u']',
            saving ? currency_form(*saving) : QStringLiteral("-")};
}

int run(const Options& o, std::ostream& out, std::ostream& err)
{
    const auto read = read_table_and_plans(o, err);
    if (!read)
        return 1;
    const auto plan = plan_of(o, err);
    if (!plan)
        return 1;
    // A daily plan takes part as one trade a day.
    const Participants all(read->table, read->plans);
    const auto sets = cheapest_account_sets(all, *plan, max_accounts(o));
    if (!sets) {
        err << accounts_failure_message(sets.error()) << "\n";
        return 1;
    }
    std::vector<Row> rows;
    for (const AccountSet& set : sets.value())
        rows.push_back(accounts_row(all, set, saving_over_one_account(sets.value(), set)));
    out << write_rows(o.format(), kColumns, rows);
    return 0;
}

} // namespace

namespace commands {
extern const Command accounts{
    .name = "accounts",
    .options = kOptions,
    .help = "口座をいくつか持ち、取引の予定の各行をいちばん安い口座で取引するとき、\n"
            "1〜K 社 (--max、既定 3) のそれぞれで年間の合計がいちばん安い組み合わせを\n"
            "表示します。合計は口座の維持費の全部と、各行のいちばん安い手数料×回数です。\n"
            "どの組み合わせについても正確です (同額は表の番号の並びが先の組み合わせ)。",
    .run = run,
};
} // namespace commands

} // namespace fee
