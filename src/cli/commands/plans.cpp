#include <QString>
#include <QStringList>
#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "cli/commands/command.h"
#include "cli/commands/common.h"
#include "core/fees/participants.h"
#include "core/money/number_text.h"

namespace fee {
namespace {

constexpr const OptionSpec* kOptions[] = {&kDailyOption, &kFormatOption};

// JSON gives a plan as the file does, with exact figures: the tiers and the
// step as objects, null where there is no step or no maximum. CSV keeps a plan
// on one line: the tiers as up_to:fee joined by ";", an empty field for no
// step or no maximum. The table gives the same in yen, the name after the
// figures and the whole schedule last.
std::vector<Column> columns(Format format, const std::vector<Row>& rows)
{
    if (format == Format::Json)
        return {
            {.key = "row", .kind = CellKind::Participant},   {.key = "name"},
            {.key = "yearly_fee", .kind = CellKind::Number}, {.key = "tiers", .kind = CellKind::Json},
            {.key = "above", .kind = CellKind::Json},        {.key = "maximum", .kind = CellKind::Json},
        };
    std::vector<Column> out = {
        {.key = "row", .kind = CellKind::Participant, .heading = "番号", .place = 0, .width = 4},
        {.key = "name", .heading = "名前", .place = 3, .left = true},
        {.key = "yearly_fee", .kind = CellKind::Number},
        {.key = "tiers", .kind = CellKind::Figure},
        {.key = "above_per", .kind = CellKind::Number},
        {.key = "above_fee", .kind = CellKind::Number},
        {.key = "maximum", .kind = CellKind::Number},
        {.kind = CellKind::Figure, .heading = "年間の維持費", .place = 1, .width = 12},
        {.kind = CellKind::Figure, .heading = "1 日の上限", .place = 2, .width = 12},
        {.kind = CellKind::Figure, .heading = "1 日の約定代金の合計ごとの手数料", .place = 4}};
    Column& name = out[1];
    name.width =
        display_width(QString::fromUtf8(name.heading.data(), static_cast<qsizetype>(name.heading.size())));
    for (const Row& row : rows)
        name.width = std::max(name.width, display_width(row[1]));
    return out;
}

Row json_row(const DailyPlan& plan, const QString& id)
{
    QStringList tiers;
    for (const DailyTier& t : plan.tiers)
        tiers << json_object({{"up_to", QString::number(t.up_to)}, {"fee", general_form(t.fee)}});
    const QString above =
        plan.above
            ? json_object({{"per", QString::number(plan.above->per)}, {"fee", general_form(plan.above->fee)}})
            : QStringLiteral("null");
    return {id,
            plan.name,
            general_form(plan.yearly_fee),
            u'[' + tiers.join(QStringLiteral(", ")) + u']',
            above,
            plan.maximum != Money{} ? general_form(plan.maximum) : QStringLiteral("null")};
}

// "¥500,000 まで ¥0、¥1,000,000 まで ¥1,100、以降 ¥1,000,000 ごとに ¥1,100", every fraction of a yen shown.
QString schedule(const DailyPlan& plan)
{
    QStringList parts;
    for (const DailyTier& t : plan.tiers)
        parts << QStringLiteral("%1 まで %2")
                     .arg(currency_form(*Money::from_yen(t.up_to)), exact_currency_form(t.fee));
    if (plan.above)
        parts << QStringLiteral("以降 %1 ごとに %2")
                     .arg(currency_form(*Money::from_yen(plan.above->per)),
                          exact_currency_form(plan.above->fee));
    return parts.join(u'、');
}

Row row(const DailyPlan& plan, const QString& id)
{
    QStringList tiers;
    for (const DailyTier& t : plan.tiers)
        tiers << QString::number(t.up_to) + u':' + general_form(t.fee);
    const bool capped = plan.maximum != Money{};
    return {id,
            plan.name,
            general_form(plan.yearly_fee),
            tiers.join(u';'),
            plan.above ? QString::number(plan.above->per) : QString(),
            plan.above ? general_form(plan.above->fee) : QString(),
            capped ? general_form(plan.maximum) : QString(),
            exact_currency_form(plan.yearly_fee),
            capped ? exact_currency_form(plan.maximum) : QStringLiteral("なし"),
            schedule(plan)};
}

int run(const Options& o, std::ostream& out, std::ostream& err)
{
    const auto plans = read_plans(o, err);
    if (!plans)
        return 1;
    if (plans->empty() && o.format() == Format::Table) {
        out << "1日定額のプランはありません (" << plans_path(o).toStdString() << ")。\n";
        return 0;
    }
    // Each plan under the id the other commands give it ("D0"), whatever the table.
    const BrokerTable any;
    const Participants all(any, *plans);
    std::vector<Row> rows;
    for (int i = all.broker_count(); i < all.size(); ++i)
        rows.push_back(o.format() == Format::Json ? json_row(all.plan(i), all.id(i))
                                                  : row(all.plan(i), all.id(i)));
    out << write_rows(o.format(), columns(o.format(), rows), rows);
    return 0;
}

} // namespace

namespace commands {
extern const Command plans{
    .name = "plans",
    .options = kOptions,
    .help = "1日定額のプランを、プログラムと同じ確かめ方で読み込んで表示します。\n"
            "番号 D0, D1, … はほかのコマンドの row と同じです。",
    .run = run,
};
} // namespace commands

} // namespace fee
