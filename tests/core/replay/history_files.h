#pragma once

// Trade histories in the shapes brokers' downloads take, made up here: the
// same trades in every layout, so that every layout must read the same.
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <string>
#include <vector>

namespace fee::test {

enum class Kind { Buy, Sell, MarginOpen, MarginClose, Deposit, Dividend, Fund };

struct MadeTrade {
    int year, month, day;
    const char* quantity; // as the file writes it
    const char* price;
    Kind kind;
};

// Three years of cash trades with margin trades, a deposit, a dividend and a
// fund purchase between them.
inline const std::vector<MadeTrade>& made_trades()
{
    static const std::vector<MadeTrade> trades = {
        {2024, 1, 9, "100", "2,650.5", Kind::Buy},
        {2024, 3, 1, "200", "1,066.5", Kind::MarginOpen},
        {2024, 6, 3, "1,000", "512", Kind::Sell},
        {2024, 6, 4, "", "", Kind::Deposit},
        {2025, 2, 28, "300", "8,110", Kind::Buy},
        {2025, 3, 4, "100", "31,250", Kind::Sell},
        {2025, 4, 1, "", "", Kind::Dividend},
        {2025, 5, 20, "50", "10,000", Kind::Fund},
        {2025, 7, 7, "500", "1,999", Kind::MarginClose},
        {2026, 1, 5, "2,000", "345.5", Kind::Buy},
    };
    return trades;
}

enum class Layout {
    QuotedWithTitle, // CP932, every field quoted, a title and the search criteria first, 取引 as the side
    BomTwoSides,     // UTF-8 with a BOM, units in full-width brackets, 取引区分 and 売買区分
    CreatedOnProduct, // CP932, a 「データ作成日」 line, 商品 and 取引, dates as 2025年3月4日, an amount
                      // column
    PlainAbbreviated, // UTF-8 without BOM, nothing quoted, dates as 2025-3-4, 売買 with 信新買 and the like
};

inline std::string history_file(Layout layout)
{
    QString text;
    const auto row = [&text](const QStringList& cells, bool quoted) {
        QStringList out;
        for (const QString& c : cells)
            out << (quoted || c.contains(u',') ? u'"' + c + u'"' : c);
        text += out.join(u',') + QStringLiteral("\r\n");
    };
    const bool quoted = layout != Layout::PlainAbbreviated;
    switch (layout) {
    case Layout::QuotedWithTitle:
        row({"約定履歴照会"}, true);
        row({"期間", "2024/01/01～2026/12/31"}, true);
        row({}, false);
        row({"約定日", "銘柄", "市場", "取引", "預り", "約定数量", "約定単価", "手数料/諸経費等",
             "受渡金額/決済損益"},
            true);
        break;
    case Layout::BomTwoSides:
        row({"約定日", "銘柄名", "取引区分", "売買区分", "数量［株］", "単価［円］", "手数料［円］",
             "受渡金額［円］"},
            true);
        break;
    case Layout::CreatedOnProduct:
        row({"データ作成日：2026/01/31 10:00"}, true);
        row({"約定日", "商品", "取引", "数量（株/口）/返済数量", "単価/返済約定単価", "約定代金"}, true);
        break;
    case Layout::PlainAbbreviated:
        row({"約定日", "銘柄", "売買", "株数", "約定価格", "手数料"}, false);
        break;
    }
    for (const MadeTrade& t : made_trades()) {
        const QString date = layout == Layout::CreatedOnProduct
                                 ? QStringLiteral("%1年%2月%3日").arg(t.year).arg(t.month).arg(t.day)
                             : layout == Layout::PlainAbbreviated
                                 ? QStringLiteral("%1-%2-%3").arg(t.year).arg(t.month).arg(t.day)
                                 : QStringLiteral("%1/%2/%3")
                                       .arg(t.year)
                                       .arg(t.month, 2, 10, QLatin1Char('0'))
                                       .arg(t.day, 2, 10, QLatin1Char('0'));
        const bool buy = t.kind == Kind::Buy || t.kind == Kind::MarginOpen || t.kind == Kind::Fund;
        const bool margin = t.kind == Kind::MarginOpen || t.kind == Kind::MarginClose;
        const QString q = QString::fromUtf8(t.quantity), p = QString::fromUtf8(t.price);
        QString amount = QStringLiteral("--");
        if (!q.isEmpty())
            amount = QString::number(QString(q).remove(u',').toDouble() * QString(p).remove(u',').toDouble(),
                                     'f', 1);
        switch (layout) {
        case Layout::QuotedWithTitle: {
            const QString side = t.kind == Kind::Deposit    ? QStringLiteral("入金")
                                 : t.kind == Kind::Dividend ? QStringLiteral("配当金")
                                 : t.kind == Kind::Fund     ? QStringLiteral("投信金額買")
                                 : margin
                                     ? (buy ? QStringLiteral("信用新規買") : QStringLiteral("信用返済売"))
                                     : (buy ? QStringLiteral("株式現物買") : QStringLiteral("株式現物売"));
            row({date, "銘柄", "東証", side, "特定", q.isEmpty() ? "--" : q, p.isEmpty() ? "--" : p, "0",
                 "1"},
                true);
            break;
        }
        case Layout::BomTwoSides:
            row({date, "銘柄",
                 margin                    ? "信用新規"
                 : t.kind == Kind::Fund    ? "投資信託"
                 : t.kind == Kind::Deposit ? "入金"
                                           : "現物",
                 t.kind == Kind::Dividend || t.kind == Kind::Deposit ? ""
                 : buy                                               ? "買付"
                                                                     : "売付",
                 q, p, "55", "1"},
                true);
            break;
        case Layout::CreatedOnProduct:
            row({date,
                 margin                 ? "信用返済"
                 : t.kind == Kind::Fund ? "投信"
                                        : "株式",
                 t.kind == Kind::Deposit    ? "ご入金"
                 : t.kind == Kind::Dividend ? "配当金受取"
                 : buy                      ? "お買付"
                                            : "ご売却",
                 q, p, q.isEmpty() ? "" : QString(amount)},
                true);
            break;
        case Layout::PlainAbbreviated:
            row({date, "銘柄",
                 margin                     ? (buy ? "信新買" : "信返売")
                 : t.kind == Kind::Fund     ? "外国株買"
                 : t.kind == Kind::Deposit  ? "入金"
                 : t.kind == Kind::Dividend ? "配当"
                 : buy                      ? "買"
                                            : "売",
                 q.isEmpty() ? "-" : q, p.isEmpty() ? "-" : p, "99"},
                false);
            break;
        }
    }
    const bool utf8 = layout == Layout::BomTwoSides || layout == Layout::PlainAbbreviated;
    if (utf8)
        return (layout == Layout::BomTwoSides ? std::string("\xEF\xBB\xBF") : std::string()) +
               text.toStdString();
    QStringEncoder cp932("CP932");
    const QByteArray bytes = cp932.encode(text);
    return bytes.toStdString();
}

// The worked example of the README and the help: a year's download as a
// broker gives it, ten cash trades with a margin trade and a dividend between.
inline std::string worked_example_history()
{
    static const std::vector<QStringList> rows = {
        {"約定履歴照会"},
        {"期間", "2025/01/01～2025/12/31"},
        {"約定日", "銘柄", "市場", "取引", "預り", "約定数量", "約定単価", "手数料/諸経費等",
         "受渡金額/決済損益"},
        {"2025/01/09", "東西化学", "東証", "株式現物買", "特定", "100", "2,650.5", "770", "265,820"},
        {"2025/02/03", "北南電機", "東証", "株式現物買", "特定", "200", "1,066.5", "770", "214,070"},
        {"2025/03/04", "中央食品", "東証", "信用新規買", "--", "300", "812", "0", "--"},
        {"2025/03/21", "東西化学", "東証", "株式現物売", "特定", "100", "2,901", "770", "289,330"},
        {"2025/03/31", "北南電機", "--", "配当金", "特定", "--", "--", "0", "1,200"},
        {"2025/05/12", "山川建設", "東証", "株式現物買", "特定", "1,000", "512", "1,045", "513,045"},
        {"2025/06/18", "北南電機", "東証", "株式現物売", "特定", "200", "1,234", "770", "246,030"},
        {"2025/07/07", "海空運輸", "東証", "株式現物買", "特定", "50", "8,110", "770", "406,270"},
        {"2025/08/22", "山川建設", "東証", "株式現物売", "特定", "1,000", "598", "1,045", "596,955"},
        {"2025/09/10", "中央食品", "東証", "株式現物買", "特定", "300", "3,125", "1,045", "938,545"},
        {"2025/11/14", "東西化学", "東証", "株式現物買", "特定", "100", "31,250", "1,980", "3,126,980"},
        {"2025/12/19", "中央食品", "東証", "株式現物売", "特定", "300", "3,480", "1,650", "1,042,350"},
    };
    QString text;
    for (const QStringList& cells : rows)
        text += u'"' + cells.join(QStringLiteral("\",\"")) + QStringLiteral("\"\r\n");
    QStringEncoder cp932("CP932");
    const QByteArray bytes = cp932.encode(text);
    return bytes.toStdString();
}

} // namespace fee::test
