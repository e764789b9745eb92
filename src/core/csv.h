#pragma once

#include <QString>

namespace fee {

// A field as spreadsheets read it back: quoted, with inner quotes doubled,
// only where it holds the separator, a quote or a line break.
QString csv_field(const QString& text, QChar separator = u',');

// A name as a spreadsheet shows it: one that begins with =, +, - or @ gets a
// leading apostrophe, which it would otherwise run as a formula.
QString spreadsheet_text(const QString& name);

} // namespace fee
