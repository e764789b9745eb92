#include <QString>
#include <QStringList>
#include <algorithm>
#include <utility>

#include "cli/commands/command.h"
#include "cli/commands/common.h"
#include "core/money/number_text.h"
#include "core/replay/history.h"
#include "core/replay/replay.h"
#include "core/text/message_text.h"

namespace fee {
namespace {

constexpr std::string_view kOperands[] = {"HISTORY"};

std::string field_keys()
{
    std::vector<std::string_view> keys;
    for (int f = 0; f < kHistoryFields; ++f)
        keys.push_back(history_field_name(static_cast<HistoryField>(f)));
    return joined(keys, ", ");
}

std::optional<Usage> check_encoding(const std::string& name)
{
    if (history_encoding_named(name))
        return {};
    return Usage{"--encoding は auto, utf-8, cp932 のどれかです: 「" + name + "」"};
}

std::optional<Usage> check_column(const std::string& choice)
{
    // A header to choose by, too: an empty one names no column.
    if (const auto read = column_choice_from(QString::fromStdString(choice)); read && !read->header.isEmpty())
        return {};
    return Usage{"--column は FIELD=見出し の形です (FIELD は " + field_keys() + " のどれか): 「" + choice +
                 "」"};
}

const OptionSpec kEncoding{.name = "--encoding",
                           .values = "ENCODING",
                           .help = "取引履歴の文字コード: auto (既定。BOM があるか UTF-8 として正しければ\n"
                                   "UTF-8、ほかは CP932), utf-8, cp932",
                           .check = check_encoding,
                           .fallback = "auto"};
const OptionSpec kColumn{.name = "--column",
                         .values = "FIELD=HEADER",
                         .help =
                             "FIELD の列を見出しが HEADER の列にする (FIELD: date, quantity, price,\n"
                             "amount, side, fee)。くり返せます。side は見つけた区分の列すべてに代わります",
                         .check = check_column,
                         .repeats = true};
const OptionSpec kDetails{.name = "--details", .help = "試算した取引ごとの各社の手数料も出す"};

constexpr const OptionSpec* kOptions[] = {&kDailyOption, &kFormatOption, &kEncoding, &kColumn, &kDetails};

HistoryOptions history_options(const Options& o)
{
    HistoryOptions options;
    options.encoding = *history_encoding_named(o.value(kEncoding).value_or(std::string(kEncoding.fallback)));
    for (const std::string& choice : o.values(kColumn))
        options.columns.push_back(*column_choice_from(QString::fromStdString(choice)));
    return options;
}

// What was read and priced, for the three formats.
struct Replayed {
    const Participants& all;
    const History& history;
    const std::vector<ReplayCost>& costs;
    const std::vector<std::vector<Money>>& details; // empty without --details
    QString file;
};

// CSV and JSON in their documented order; the table puts the yen first, as
// compare's does, with the commission and the fees in yen beside it.
constexpr Column kColumns[] = {
    {.key = "row", .kind = CellKind::Participant, .heading = "番号", .place = 0, .width = 4},
    {.key = "name", .heading = "証券会社", .place = 5},
    {.key = "trades", .kind = CellKind::Number},
    {.key = "commission", .kind = CellKind::Number},
    {.key = "yearly_fees", .kind = CellKind::Number},
    {.key = "total", .kind = CellKind::Number, .heading = "正確な額", .place = 4, .width = 20},
    {.key = "yen", .kind = CellKind::Figure, .heading = "合計", .place = 1, .width = 14},
    {.kind = CellKind::Figure, .heading = "手数料", .place = 2, .width = 14},
    {.kind = CellKind::Figure, .heading = "維持費", .place = 3, .width = 10},
};

std::vector<Row> ranking_rows(const Replayed& r)
{
    std::vector<Row> rows;
    for (const ReplayCost& c : r.costs)
        rows.push_back({r.all.id(c.broker), r.all.name(c.broker), QString::number(r.history.summary.trades),
                        general_form(c.commission), general_form(c.yearly_fees), general_form(c.total),
                        currency_form(c.total), currency_form(c.commission), currency_form(c.yearly_fees)});
    return rows;
}

QString date_text(HistoryDate date)
{
    return QStringLiteral("%1-%2-%3")
        .arg(date / 10000)
        .arg(date / 100 % 100, 2, 10, QLatin1Char('0'))
        .arg(date % 100, 2, 10, QLatin1Char('0'));
}

// The priced trades: line, date and amount, then one commission per broker in
// table order and per daily plan, the columns named by their rows ("2", "D0").
// Written a chunk of trades at a time, so that a large history's cells never
// all stand as text at once.
class DetailBlock {
public:
    DetailBlock(const Replayed& r, Format format) : r_(r), format_(format)
    {
        for (int b = 0; b < r.all.size(); ++b)
            numbers_.push_back(r.all.id(b).toStdString());
        if (format == Format::Json) {
            columns_ = {{.key = "line", .kind = CellKind::Number},
                        {.key = "date", .kind = CellKind::Figure},
                        {.key = "amount", .kind = CellKind::Number},
                        {.key = "commissions", .kind = CellKind::Json}};
            return;
        }
        columns_ = {{.key = "line", .kind = CellKind::Number, .heading = "行", .place = 0},
                    {.key = "date", .kind = CellKind::Figure, .heading = "約定日", .place = 1},
                    {.key = "amount", .kind = CellKind::Number, .heading = "約定代金", .place = 2}};
        for (const std::string& number : numbers_)
            columns_.push_back({.key = number,
                                .kind = CellKind::Number,
                                .heading = number,
                                .place = static_cast<int>(columns_.size())});
        // The table's columns as wide as their widest cell.
        if (format == Format::Table) {
            for (Column& c : columns_)
                c.width = display_width(
                    QString::fromUtf8(c.heading.data(), static_cast<qsizetype>(c.heading.size())));
            for (std::size_t t = 0; t < r.history.trades.size(); ++t) {
                const Row cells = row(t);
                for (std::size_t c = 0; c < columns_.size(); ++c)
                    columns_[c].width = std::max(columns_[c].width, display_width(cells[c]));
            }
        }
    }
    DetailBlock(const DetailBlock&) = delete; // the columns' keys point into numbers_
    DetailBlock& operator=(const DetailBlock&) = delete;

    void write(std::ostream& out) const
    {
        constexpr std::size_t kChunk = 4096;
        const std::size_t trades = r_.history.trades.size();
        for (std::size_t from = 0; from < trades; from += kChunk) {
            std::vector<Row> rows;
            for (std::size_t t = from; t < std::min(trades, from + kChunk); ++t)
                rows.push_back(row(t));
            std::string text = write_rows(format_, columns_, rows);
            // Each chunk comes with the heading, or JSON's brackets: the first keeps
            // the heading or "[", the last the "]".
            if (from > 0)
                text.erase(0, text.find('\n') + 1);
            if (format_ == Format::Json && from + kChunk < trades)
                text.replace(text.rfind("\n]"), std::string::npos, ",\n");
            out << text;
        }
    }

private:
    Row row(std::size_t t) const
    {
        const HistoryTrade& trade = r_.history.trades[t];
        Row cells{QString::number(trade.line), date_text(trade.date), general_form(trade.amount)};
        QStringList commissions;
        for (const Money& commission : r_.details[t])
            commissions << general_form(commission);
        if (format_ == Format::Json)
            cells.push_back(u'[' + commissions.join(QStringLiteral(", ")) + u']');
        else
            cells.insert(cells.end(), commissions.begin(), commissions.end());
        return cells;
    }

    const Replayed& r_;
    Format format_;
    std::vector<std::string> numbers_;
    std::vector<Column> columns_;
};

// At most this many unreadable lines are listed where people read them.
constexpr std::size_t kListedLines = 20;

std::string unreadable_list(const HistorySummary& s)
{
    std::string text;
    for (std::size_t i = 0; i < std::min(s.unreadable.size(), kListedLines); ++i)
        text += "  " + std::to_string(s.unreadable[i].line) + " 行目: " + s.unreadable[i].reason + "\n";
    if (s.unreadable.size() > kListedLines)
        text += "  ほか " + std::to_string(s.unreadable.size() - kListedLines) + " 行\n";
    return text;
}

std::string counts(const HistorySummary& s)
{
    return "信用取引 " + std::to_string(s.margin) + "、取引でない行 " + std::to_string(s.other) +
           "、読めない行 " + std::to_string(s.unreadable.size());
}

std::string no_trade_message(const QString& file, const HistorySummary& s)
{
    return file.toStdString() + " に試算できる現物株の取引がありません（" + std::to_string(s.header_line) +
           " 行目の見出しの後の " + std::to_string(s.lines) + " 行: " + counts(s) + "）。\n" +
           unreadable_list(s);
}

QString json_summary(const Replayed& r)
{
    const HistorySummary& s = r.history.summary;
    QStringList columns;
    for (int f = 0; f < kHistoryFields; ++f) {
        const auto field = static_cast<HistoryField>(f);
        QStringList headers;
        for (const QString& header : s.column(field))
            headers << json_string(header);
        const QString value = field == HistoryField::Side ? u'[' + headers.join(QStringLiteral(", ")) + u']'
                              : headers.isEmpty()         ? QStringLiteral("null")
                                                          : headers.front();
        columns << json_string(QString::fromUtf8(history_field_name(field))) + QStringLiteral(": ") + value;
    }
    QStringList unreadable;
    for (const UnreadableLine& u : s.unreadable)
        unreadable << json_object(
            {{"line", QString::number(u.line)}, {"reason", json_string(QString::fromStdString(u.reason))}});
    return json_object({
        {"file", json_string(r.file)},
        {"encoding", json_string(QString::fromUtf8(history_encoding_name(s.encoding)))},
        {"header_line", QString::number(s.header_line)},
        {"columns", u'{' + columns.join(QStringLiteral(", ")) + u'}'},
        {"lines", QString::number(s.lines)},
        {"trades", QString::number(s.trades)},
        {"margin", QString::number(s.margin)},
        {"other", QString::number(s.other)},
        {"rounded", QString::number(s.rounded)},
        {"unreadable", u'[' + unreadable.join(QStringLiteral(", ")) + u']'},
        {"paid", s.paid ? general_form(*s.paid) : QStringLiteral("null")},
    });
}

std::string without_last_newline(std::string text)
{
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

void write_json(const Replayed& r, std::ostream& out)
{
    out << "{\"brokers\": " << without_last_newline(write_rows(Format::Json, kColumns, ranking_rows(r)))
        << ",\n \"summary\": " << json_summary(r).toStdString();
    if (!r.details.empty()) {
        out << ",\n \"details\": ";
        DetailBlock(r, Format::Json).write(out);
    }
    out << "}\n";
}

// The summary under the table: a label, then what it says.
std::string summary_line(std::string_view label, const std::string& text)
{
    constexpr std::size_t kLabelWidth = 26;
    const QString shown = QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
    return std::string(label) +
           std::string(kLabelWidth - std::min(display_width(shown), kLabelWidth - 2), ' ') + text + "\n";
}

std::string summary_lines(const Replayed& r)
{
    static constexpr const char* kFieldLabels[] = {"約定日", "数量", "単価", "約定代金", "区分", "手数料"};
    const HistorySummary& s = r.history.summary;
    std::string columns;
    for (int f = 0; f < kHistoryFields; ++f) {
        const QStringList& headers = s.column(static_cast<HistoryField>(f));
        if (headers.isEmpty())
            continue;
        columns += (columns.empty() ? "" : " ") + std::string(kFieldLabels[f]);
        for (const QString& header : headers)
            columns += in_brackets(header);
    }
    const std::string encoding = s.encoding == HistoryEncoding::Utf8 ? "UTF-8" : "CP932";
    std::string text = "\n" +
                       summary_line("読んだファイル", r.file.toStdString() + " (" + encoding + "、見出しは " +
                                                          std::to_string(s.header_line) + " 行目)") +
                       summary_line("使った列", columns) +
                       summary_line("試算した取引", std::to_string(s.trades) + " 件 (見出しの後の " +
                                                        std::to_string(s.lines) + " 行のうち)") +
                       summary_line("入れなかった行", counts(s));
    if (s.rounded > 0)
        text += summary_line("数量×単価を丸めた取引", std::to_string(s.rounded) + " 件 (1 万分の 1 円に)");
    text += unreadable_list(s);
    // The cheapest total and what the file says was paid, one above the other.
    const ReplayCost& cheapest = r.costs.front();
    const qsizetype width =
        std::max(currency_form(cheapest.total).size(), s.paid ? currency_form(*s.paid).size() : 0);
    const auto yen = [width](Money m) {
        return QStringLiteral("%1").arg(currency_form(m), static_cast<int>(width)).toStdString();
    };
    text += summary_line("いちばん安い合計",
                         yen(cheapest.total) + "  " + r.all.name(cheapest.broker).toStdString());
    if (s.paid)
        text += summary_line("この履歴で支払った手数料", yen(*s.paid));
    return text;
}

void write_output(const Replayed& r, Format format, std::ostream& out)
{
    if (format == Format::Json) {
        write_json(r, out);
        return;
    }
    out << write_rows(format, kColumns, ranking_rows(r));
    if (format == Format::Table)
        out << summary_lines(r);
    if (!r.details.empty()) {
        out << "\n";
        DetailBlock(r, format).write(out);
    }
}

int run(const Options& o, std::ostream& out, std::ostream& err)
{
    const auto read = read_table_and_plans(o, err);
    if (!read)
        return 1;
    const QString file = QString::fromStdString(o.operands[0]);
    const auto bytes = load_history_file(file);
    if (!bytes) {
        err << bytes.error().message << "\n";
        return 1;
    }
    const HistoryOptions options = history_options(o);
    const auto history = read_history(bytes->bytes(), file, options);
    if (!history) {
        err << history.error().message;
        if (options.columns.empty())
            err << "取引履歴の CSV でなければ、列を --column FIELD=見出し で指定して下さい。";
        err << "\n";
        return 1;
    }
    const HistorySummary& s = history->summary;
    if (history->trades.empty()) {
        err << no_trade_message(file, s);
        return 1;
    }
    std::vector<std::vector<Money>> details;
    // A daily plan prices each trading day's total once.
    const Participants all(read->table, read->plans);
    const auto costs = price_history(all, *history, o.has(kDetails) ? &details : nullptr);
    if (!costs) {
        err << replay_overflow_message(all, *history, costs.error()) << "\n";
        return 1;
    }
    // CSV has no place for them, and they are no reason to fail.
    if (o.format() == Format::Csv && !s.unreadable.empty())
        err << file.toStdString() << " の次の行は読めないので、試算に入れていません:\n" << unreadable_list(s);
    write_output({all, *history, costs.value(), details, file}, o.format(), out);
    return 0;
}

} // namespace

namespace commands {
extern const Command replay{
    .name = "replay",
    .operands = kOperands,
    .options = kOptions,
    .help = "証券会社からダウンロードした取引履歴 (CSV) の現物株の取引を、表のすべての\n"
            "証券会社の手数料で計算し、合計の安い順に表示します。維持費は取引のある\n"
            "暦年ごとに 1 回。信用取引、入出金、配当、株以外の商品は数えて除きます。",
    .run = run,
};
} // namespace commands

} // namespace fee
