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

namespace {

QString lines_of(const std::vector<QStringList>& rows, QChar separator, const QString& line_end)
{
    QString text;
    for (const QStringList& row : rows) {
        for (qsizetype f = 0; f < row.size(); ++f)
            text += (f ? QString(separator) : QString()) + csv_field(row[f], separator);
        text += line_end;
    }
    return text;
}

} // namespace

QString tsv_text(const std::vector<QStringList>& rows)
{
    return lines_of(rows, u'\t', QStringLiteral("\n"));
}

QByteArray csv_file_bytes(const std::vector<QStringList>& rows)
{
    return QByteArray("\xEF\xBB\xBF") + lines_of(rows, u',', QStringLiteral("\r\n")).toUtf8();
}

} // namespace fee
