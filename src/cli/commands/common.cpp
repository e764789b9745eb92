#include "cli/commands/common.h"

#include <QFileInfo>
#include <QString>

#include "core/datafile/daily_plans_file.h"
#include "core/datafile/data_file.h"
#include "core/document/data_document.h"
#include "core/document/data_location.h"
#include "core/fees/preset_plans.h"

namespace fee {
namespace {

PlanTexts plan_texts(const Options& o)
{
    if (const auto key = o.value(kPresetOption))
        return preset_plan_by_key(*key)->texts();
    const std::vector<std::string> rows = o.values(kRowOption);
    PlanTexts texts;
    for (std::size_t r = 0; r < kPlanRows; ++r) {
        const bool given = 2 * r < rows.size();
        texts.amount[r] = given ? QString::fromStdString(rows[2 * r]) : QStringLiteral("0");
        texts.count[r] = given ? QString::fromStdString(rows[2 * r + 1]) : QStringLiteral("0");
    }
    return texts;
}

} // namespace

std::optional<BrokerTable> read_table(const Options& o, std::ostream& err)
{
    BrokerTable table;
    std::string warning;
    if (const auto read = read_data_file(QString::fromStdString(o.data()), table, &warning); !read) {
        err << read.error().message << "\n";
        return std::nullopt;
    }
    if (!warning.empty())
        err << warning << "\n";
    return table;
}

QString plans_path(const Options& o)
{
    if (const auto given = o.value(kDailyOption))
        return QString::fromStdString(*given);
    return daily_plans_beside(resolved_data_path(QString::fromStdString(o.data())));
}

std::optional<DailyPlans> read_plans(const Options& o, std::ostream& err)
{
    const QString path = plans_path(o);
    // The default may be missing; a file asked for by name may not.
    if (const QFileInfo info(path); o.has(kDailyOption) && !info.exists() && !info.isSymLink()) {
        err << path.toStdString()
            << " がありません。--daily には1日定額のプランのファイルを指定して下さい。\n";
        return std::nullopt;
    }
    auto plans = read_daily_plans_file(path);
    if (!plans) {
        err << plans.error().message << "\n";
        return std::nullopt;
    }
    return std::move(plans).value();
}

std::optional<TableAndPlans> read_table_and_plans(const Options& o, std::ostream& err)
{
    auto table = read_table(o, err);
    if (!table)
        return std::nullopt;
    auto plans = read_plans(o, err);
    if (!plans)
        return std::nullopt;
    return TableAndPlans{std::move(*table), std::move(*plans)};
}

int rewrite(const Options& o, std::ostream& err, const std::function<Status<>(BrokerTable&)>& edit)
{
    DataDocument document(QString::fromStdString(o.data()), user_data_dir());
    Status<> status = document.open();
    if (status && !document.load_warning().empty())
        err << document.load_warning() << "\n";
    // Without a lock another copy could write at the same time: nothing is written.
    if (status && !document.unguarded().empty())
        status = Error{document.unguarded() + "何も書き込みませんでした。"};
    if (status)
        status = edit(document.table());
    if (!status) {
        err << status.error().message << "\n";
        return 1;
    }
    UnattendedAnswers answers;
    if (document.close(answers) != DataDocument::Closed::Saved) {
        err << answers.report();
        return 1;
    }
    return 0;
}

std::optional<TradePlan> plan_of(const Options& o, std::ostream& err)
{
    const auto plan = parse_plan(plan_texts(o));
    if (!plan) {
        err << "--row: " << plan.error().message() << "\n";
        return std::nullopt;
    }
    return plan.value();
}

} // namespace fee
