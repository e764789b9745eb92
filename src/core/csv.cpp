#include "core/csv.h"

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

QString spreadsheet_text(const QString& name)
{
    static const QString kFormulaStarts = QStringLiteral("=+-@");
    return !name.isEmpty() && kFormulaStarts.contains(name.front()) ? u'\'' + name : name;
}

} // namespace fee
