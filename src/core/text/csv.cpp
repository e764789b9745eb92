#include "core/text/csv.h"

namespace fee {

QString csv_field(const QString& text, QChar separator)
{
    for (const QChar c : {separator, QChar(u'"'), QChar(u'\r'), QChar(u'\n')}) {
        if (text.contains(c)) {
            QString quoted = text;
            quoted.replace(u'"', QStringLiteral("\"\""));
            return u'"' + quoted + u'"';
        }
    }
    return text;
}

QString spreadsheet_text(const QString& text)
{
    // A leading tab or CR is dropped by some spreadsheets, uncovering what follows.
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && kFormulaStarts.contains(text.front()) ? u'\'' + text : text;
}

} // namespace fee
