#include "cli/commands/common.h"

#include <QString>

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
