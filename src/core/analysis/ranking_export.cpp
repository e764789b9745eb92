#include "core/analysis/ranking_export.h"

#include <QFileInfo>
#include <QIODevice>
#include <QStringList>

#include "core/fees/broker_table.h"
#include "core/money/number_text.h"
#include "core/replay/replay.h"
#include "core/storage/file_save.h"
#include "core/text/codepage.h"
#include "core/text/csv.h"

namespace fee {

namespace {

std::vector<QStringList> ranking_rows(const Participants& table, const YearlyCosts& costs,
                                      const std::vector<int>& order)
{
    std::vector<QStringList> rows{
        {QStringLiteral("会社名"), QStringLiteral("試算結果"), QStringLiteral("正確な額")}};
    for (const int b : order) {
        const Money cost = costs.at(static_cast<std::size_t>(b));
        rows.push_back({spreadsheet_text(table.name(b)), currency_form(cost), general_form(cost)});
    }
    return rows;
}

std::vector<QStringList> replay_rows(const Participants& table, const std::vector<ReplayCost>& costs)
{
    std::vector<QStringList> rows{{QStringLiteral("順位"), QStringLiteral("会社名"), QStringLiteral("合計"),
                                   QStringLiteral("正確な合計"), QStringLiteral("手数料"),
                                   QStringLiteral("維持費"), QStringLiteral("最安との差")}};
    for (std::size_t place = 0; place < costs.size(); ++place) {
        const ReplayCost& c = costs[place];
        rows.push_back({QString::number(place + 1), spreadsheet_text(table.name(c.broker)),
                        currency_form(c.total), general_form(c.total), general_form(c.commission),
                        general_form(c.yearly_fees),
                        general_form(c.total.minus(costs.front().total).value_or(Money{}))});
    }
    return rows;
}

} // namespace

QString ranking_tsv(const Participants& table, const YearlyCosts& costs, const std::vector<int>& order)
{
    return tsv_text(ranking_rows(table, costs, order));
}

QByteArray ranking_csv(const Participants& table, const YearlyCosts& costs, const std::vector<int>& order)
{
    return csv_file_bytes(ranking_rows(table, costs, order));
}

QString replay_ranking_tsv(const Participants& table, const std::vector<ReplayCost>& costs)
{
    return tsv_text(replay_rows(table, costs));
}

QByteArray replay_ranking_csv(const Participants& table, const std::vector<ReplayCost>& costs)
{
    return csv_file_bytes(replay_rows(table, costs));
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
