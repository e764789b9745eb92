#pragma once

#include <QString>

namespace fee {

// A field as spreadsheets read it back: quoted, with inner quotes doubled,
// only where it holds the separator, a quote or a line break.
QString csv_field(const QString& text, QChar separator = u',');

} // namespace fee
