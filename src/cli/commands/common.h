#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <ostream>

#include "cli/options.h"
#include "core/fees/broker_table.h"
#include "core/fees/daily_plan.h"
#include "core/fees/trade_plan.h"
#include "core/outcome.h"

namespace fee {

// The file of --data, for the commands that only read it; none, and the
// reason on `err`, when it cannot be read.
std::optional<BrokerTable> read_table(const Options& o, std::ostream& err);

// The file of the daily flat plans: --daily, else daily-plans.json beside the
// real file of --data, where the program looks for it.
QString plans_path(const Options& o);

// The plans of that file, none where the default file is missing; none, and
// the reason on `err`, when the file is refused or --daily names a file that
// is not there.
std::optional<DailyPlans> read_plans(const Options& o, std::ostream& err);

// The file of --data and its daily plans, for the commands that compare them.
struct TableAndPlans {
    BrokerTable table;
    DailyPlans plans;
};
std::optional<TableAndPlans> read_table_and_plans(const Options& o, std::ostream& err);

// Loads the file of --data, applies `edit` and rewrites it as the program
// does at close, under the program's lock, so that it never writes behind an
// open window's back. Nothing is written unless the file loaded and the edit
// succeeded.
int rewrite(const Options& o, std::ostream& err, const std::function<Status<>(BrokerTable&)>& edit);

// The plan of --row or --preset; none, and the box it could not read on
// `err`, when a row is not a number.
std::optional<TradePlan> plan_of(const Options& o, std::ostream& err);

} // namespace fee
