#include "cli/output.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <utility>

#include "core/text/csv.h"

namespace fee {
namespace {

QString text_of(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString padded(const QString& text, const Column& column)
{
    const std::size_t n = display_width(text);
    if (n >= column.width)
        return text;
    const QString blanks(static_cast<qsizetype>(column.width - n), u' ');
    return column.left ? text + blanks : blanks + text;
}

QString json_cell(const Column& column, const QString& cell)
{
    switch (column.kind) {
    case CellKind::Text:
    case CellKind::Figure:
        return json_string(cell);
    case CellKind::Participant:
        return json_participant(cell);
    case CellKind::Number:
    case CellKind::Json:
        break;
    }
    return cell;
}

// The indexes of the columns `format` shows, in the order it shows them.
std::vector<std::size_t> shown(Format format, std::span<const Column> columns)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        if (format == Format::Table ? c.place >= 0 : !c.key.empty() && (c.in_csv || format == Format::Json))
            out.push_back(i);
    }
    if (format == Format::Table)
        std::stable_sort(out.begin(), out.end(),
                         [&](std::size_t a, std::size_t b) { return columns[a].place < columns[b].place; });
    return out;
}

// One line of the shown columns, each after what comes between it and the one before.
template <class Between, class Text>
QString line(const std::vector<std::size_t>& shown, Between between, Text text)
{
    QString out;
    for (std::size_t j = 0; j < shown.size(); ++j) {
        if (j > 0)
            out += between(shown[j]);
        out += text(shown[j]);
    }
    return out;
}

QString csv(std::span<const Column> columns, const std::vector<Row>& rows,
            const std::vector<std::size_t>& cols)
{
    auto comma = [](std::size_t) { return QStringLiteral(","); };
    QString out =
        line(cols, comma, [&](std::size_t i) { return csv_field(text_of(columns[i].key)); }) + u'\n';
    for (const Row& row : rows)
        out += line(cols, comma,
                    [&](std::size_t i) {
                        return csv_field(columns[i].kind == CellKind::Text ? spreadsheet_text(row.at(i))
                                                                           : row.at(i));
                    }) +
               u'\n';
    return out;
}

QString json(std::span<const Column> columns, const std::vector<Row>& rows,
             const std::vector<std::size_t>& cols)
{
    QString out = QStringLiteral("[\n");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto field = [&](std::size_t i) {
            const QString& cell = rows[r].at(i);
            return json_string(text_of(columns[i].key)) + QStringLiteral(": ") + json_cell(columns[i], cell);
        };
        out += QStringLiteral("  {") +
               line(
                   cols, [](std::size_t) { return QStringLiteral(", "); }, field) +
               (r + 1 < rows.size() ? QStringLiteral("},\n") : QStringLiteral("}\n"));
    }
    return out + QStringLiteral("]\n");
}

QString table(std::span<const Column> columns, const std::vector<Row>& rows,
              const std::vector<std::size_t>& cols)
{
    const auto gap = [&](std::size_t i) { return text_of(columns[i].gap); };
    const auto blanks = [&](std::size_t i) {
        return QString(static_cast<qsizetype>(display_width(gap(i))), u' ');
    };
    QString out =
        line(cols, blanks, [&](std::size_t i) { return padded(text_of(columns[i].heading), columns[i]); }) +
        u'\n';
    for (const Row& row : rows)
        out += line(cols, gap, [&](std::size_t i) { return padded(row.at(i), columns[i]); }) + u'\n';
    return out;
}

} // namespace

QString json_participant(const QString& id)
{
    return !id.isEmpty() && id.front().isDigit() ? id : json_string(id);
}

QString json_object(std::initializer_list<std::pair<const char*, QString>> members)
{
    QStringList out;
    for (const auto& [key, value] : members)
        out << json_string(QString::fromLatin1(key)) + QStringLiteral(": ") + value;
    return u'{' + out.join(QStringLiteral(", ")) + u'}';
}

QString json_string(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(static_cast<uint>(c.unicode()), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out + u'"';
}

std::optional<Format> format_named(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, Format>, 3> kNames{
        {{"table", Format::Table}, {"csv", Format::Csv}, {"json", Format::Json}}};
    for (const auto& [n, format] : kNames)
        if (n == name)
            return format;
    return std::nullopt;
}

std::string write_rows(Format format, std::span<const Column> columns, const std::vector<Row>& rows)
{
    const std::vector<std::size_t> cols = shown(format, columns);
    switch (format) {
    case Format::Csv:
        return csv(columns, rows, cols).toStdString();
    case Format::Json:
        return json(columns, rows, cols).toStdString();
    case Format::Table:
        break;
    }
    return table(columns, rows, cols).toStdString();
}

std::size_t display_width(const QString& text)
{
    std::size_t w = 0;
    for (const QChar c : text) {
        if (c.isLowSurrogate())
            continue;
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6) || c.isHighSurrogate();
        w += wide ? 2 : 1;
    }
    return w;
}

} // namespace fee
