#include "core/analysis/ranking_export.h"

#include <QFileInfo>
#include <QIODevice>
#include <QStringList>

#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/storage/file_save.h"
#include "core/text/codepage.h"
#include "core/text/csv.h"

namespace fee {

namespace {

QString ranking_text(const Participants& table, const YearlyCosts& costs, const std::vector<int>& order,
                     QChar separator, const QString& line_end)
{
    auto line = [&](const QString& a, const QString& b, const QString& c) {
        return csv_field(a, separator) + separator + csv_field(b, separator) + separator +
               csv_field(c, separator) + line_end;
    };
    QString text = line(QStringLiteral("会社名"), QStringLiteral("試算結果"), QStringLiteral("正確な額"));
    for (const int b : order) {
        const Money cost = costs.at(static_cast<std::size_t>(b));
        text += line(spreadsheet_text(table.name(b)), currency_form(cost), general_form(cost));
    }
    return text;
}

} // namespace

QString ranking_tsv(const Participants& table, const YearlyCosts& costs, const std::vector<int>& order)
{
    return ranking_text(table, costs, order, u'\t', QStringLiteral("\n"));
}

QByteArray ranking_csv(const Participants& table, const YearlyCosts& costs, const std::vector<int>& order)
{
    return QByteArray("\xEF\xBB\xBF") +
           ranking_text(table, costs, order, u',', QStringLiteral("\r\n")).toUtf8();
}

Status<> write_ranking(QIODevice& device, const QByteArray& bytes)
{
    return write_bytes(device, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

Status<> save_ranking(const QString& path, const QByteArray& bytes)
{
    // A link the user chose stays a link: the file it names is replaced.
    const auto saved = replace_file(save_target(path).absoluteFilePath(),
                                    [&bytes](QIODevice& file) { return write_ranking(file, bytes); });
    if (!saved)
        return Error{path.toStdString() + " に保存できませんでした: " + saved.error().reason +
                     "。保存先のフォルダーと空きを確かめて下さい。"};
    return done();
}

} // namespace fee
