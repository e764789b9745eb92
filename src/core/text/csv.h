#pragma once

#include <QString>

namespace fee {

// A field as spreadsheets read it back: quoted, with inner quotes doubled,
// only where it holds the separator, a quote or a line break.
QString csv_field(const QString& text, QChar separator = u',');

// Text from a file or from the user as a spreadsheet shows it: one that begins
// with =, +, -, @, a tab or a CR gets a leading apostrophe, which it would
// otherwise run as a formula. Every export and copy goes through this one guard.
QString spreadsheet_text(const QString& text);

} // namespace fee
