#include <QString>
#include <numeric>

#include "cli/commands/command.h"
#include "cli/commands/common.h"
#include "core/fees/commission.h"
#include "core/fees/cost_messages.h"
#include "core/money/number_text.h"

namespace fee {
namespace {

const OptionSpec kSort{.name = "--sort", .help = "年間費用の安い順 (同額は表の順) に並べる"};

// --sort before --format: a misplaced --sort is the one reported first.
constexpr const OptionSpec* kOptions[] = {&kRowOption, &kPresetOption, &kSort, &kDailyOption, &kFormatOption};

// People read the yen first; csv and json keep their documented order.
constexpr Column kColumns[] = {
    {.key = "row", .kind = CellKind::Participant, .heading = "番号", .place = 0, .width = 4},
    {.key = "name", .heading = "証券会社", .place = 3},
    {.key = "cost", .kind = CellKind::Number, .heading = "正確な額", .place = 2, .width = 22},
    {.key = "yen", .kind = CellKind::Figure, .heading = "年間費用", .place = 1, .width = 14},
};

int run(const Options& o, std::ostream& out, std::ostream& err)
{
    const auto read = read_table_and_plans(o, err);
    if (!read)
        return 1;
    const auto plan = plan_of(o, err);
    if (!plan)
        return 1;
    // A daily plan prices each planned trade as a day of its own.
    const Participants all(read->table, read->plans);
    const auto costs = compute_yearly_costs(all, *plan);
    if (!costs) {
        err << cost_overflow_message(all, costs.error(), *plan) << "\n";
        return 1;
    }
    std::vector<int> order(costs.value().size());
    std::iota(order.begin(), order.end(), 0);
    if (o.has(kSort))
        order = cost_order(costs.value());
    std::vector<Row> rows;
    for (const int b : order) {
        const Money exact = costs.value()[static_cast<std::size_t>(b)];
        rows.push_back({all.id(b), all.name(b), general_form(exact), currency_form(exact)});
    }
    out << write_rows(o.format(), kColumns, rows);
    return 0;
}

} // namespace

namespace commands {
extern const Command compare{
    .name = "compare",
    .options = kOptions,
    .help = "全証券会社の年間費用を計算して表示します。",
    .run = run,
};
} // namespace commands

} // namespace fee
