#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "gui/app/prompter.h"

namespace fee::ui {

// One export of a ranking as CSV, for every window that has one: the file
// dialog starts in the folder of the last export this run (else Documents,
// else home) with `suggested_name`; a name typed without an extension gets
// ".csv", which a spreadsheet needs; a file `refusal` refuses is chosen again;
// `bytes` are written whole or not at all. The path written, or nothing when
// the user cancelled or the write failed (which was told).
std::optional<QString> export_csv(Prompter& prompter, const QString& suggested_name,
                                  const Prompter::SaveRefusal& refusal, const QByteArray& bytes);

} // namespace fee::ui
