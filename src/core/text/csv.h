#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace fee {

// A field as spreadsheets read it back: quoted, with inner quotes doubled,
// only where it holds the separator, a quote or a line break.
QString csv_field(const QString& text, QChar separator = u',');

// Text from a file or from the user as a spreadsheet shows it: one that begins
// with =, +, -, @, a tab or a CR gets a leading apostrophe, which it would
// otherwise run as a formula. Every export and copy goes through this one guard.
QString spreadsheet_text(const QString& text);

// Rows of fields for the clipboard: tab-separated, lines ended by LF.
QString tsv_text(const std::vector<QStringList>& rows);

// Rows of fields as a CSV file: comma-separated in UTF-8 with a byte-order
// mark and CR LF, which is what a spreadsheet needs to open Japanese names
// correctly.
QByteArray csv_file_bytes(const std::vector<QStringList>& rows);

} // namespace fee
