#pragma once

#include <QByteArray>
#include <QString>

#include "core/fees/daily_plan.h"
#include "core/outcome.h"

namespace fee {

// The daily flat plans live beside compare.dat in a file of their own, so that
// compare.dat stays exactly what other copies of the program read.
inline constexpr const char* kDailyPlansFileName = "daily-plans.json";

// The plan file that goes with the data file at `real_data_path` (see
// resolved_data_path): in the same folder.
QString daily_plans_beside(const QString& real_data_path);

// The plans of a daily-plans.json (UTF-8, Qt's JSON). Refused with a message
// that names `file`, the plan (by name, else by position) and what is wrong,
// or the JSON error's line and column.
Outcome<DailyPlans> parse_daily_plans(const QByteArray& bytes, const QString& file);

// The plans of the file at `path`, opened as every file beside compare.dat is
// (no link followed, nothing but a regular file, no open that blocks): none
// where there is no file; refused with the reason where it cannot be read or
// its content is refused.
Outcome<DailyPlans> read_daily_plans_file(const QString& path);

// The file's bytes, in one fixed indented form: a plan's fields in the
// alphabetical order Qt keeps, amounts as integers where they are whole yen.
QByteArray serialize_daily_plans(const DailyPlans& plans);

} // namespace fee
