#include <gtest/gtest.h>

#include <QStringList>
#include <map>

#include "core/datafile/data_file.h"
#include "core/fees/participants.h"
#include "core/replay/history.h"
#include "core/replay/replay.h"
#include "history_files.h"
#include "qt_print.h"

using namespace fee;
using namespace fee::test;

namespace {

Outcome<History> read(const std::string& bytes, const HistoryOptions& options = {})
{
    return read_history(bytes, QStringLiteral("history.csv"), options);
}

// Every layout reads the same five cash trades and leaves out the same lines.
TEST(History, EveryLayoutReadsTheSameTrades)
{
    const struct {
        Layout layout;
        HistoryEncoding encoding;
        int header_line;
        std::optional<std::int64_t> paid_yen;
    } cases[] = {
        {Layout::QuotedWithTitle, HistoryEncoding::Cp932, 4, 0},
        {Layout::BomTwoSides, HistoryEncoding::Utf8, 1, 275},
        {Layout::CreatedOnProduct, HistoryEncoding::Cp932, 2, std::nullopt},
        {Layout::PlainAbbreviated, HistoryEncoding::Utf8, 1, 495},
    };
    const std::vector<HistoryDate> dates = {20240109, 20240603, 20250228, 20250304, 20260105};
    const std::vector<std::int64_t> amounts = {265'050, 512'000, 2'433'000, 3'125'000, 691'000};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.layout));
        const auto history = read(history_file(c.layout));
        ASSERT_TRUE(history.ok()) << history.error().message;
        const HistorySummary& s = history->summary;
        EXPECT_EQ(s.encoding, c.encoding);
        EXPECT_EQ(s.header_line, c.header_line);
        EXPECT_EQ(std::tuple(s.lines, s.trades, s.margin, s.other, s.rounded, s.unreadable.size()),
                  std::tuple(10, 5, 2, 3, 0, std::size_t{0}));
        EXPECT_EQ(s.paid, c.paid_yen ? Money::from_yen(*c.paid_yen) : std::nullopt);
        for (std::size_t t = 0; t < dates.size(); ++t)
            EXPECT_EQ(std::pair(history->trades[t].date, history->trades[t].amount),
                      std::pair(dates[t], *Money::from_yen(amounts[t])));
    }
}

TEST(History, LinesThatCannotBePricedAreNamed)
{
    const struct {
        const char* file;
        int trades, unreadable_line, rounded;
        const char* reason_quotes; // the bad text the reason must quote, if any
    } cases[] = {
        // A quoted field across two lines: the next record starts on line 4.
        {"約定日,備考,数量,単価\n2025/1/6,\"two\nlines\",1,10\n2025/1/7,x,abc,10\n", 1, 4, 0, "abc"},
        {"約定日,数量,単価\n2025/1/6,1.5,0.0001\n2025/1/7,1,\n", 1, 3, 1, nullptr},
        {"約定日,約定代金\n2025/1/6,\"1,000.50000\"\n2025/1/7,1.00001\n2025/2/30,5\n", 1, 3, 0, "1.00001"},
        // A line break in a quoted field after the last one read, and CR LF.
        {"約定日,約定代金,備考\r\n2025/1/6,100,\"a\r\nb\"\r\n2025/1/7,x,c\r\n", 1, 4, 0, "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto history = read(c.file);
        ASSERT_TRUE(history.ok()) << history.error().message;
        EXPECT_EQ(history->summary.trades, c.trades);
        EXPECT_EQ(history->summary.rounded, c.rounded);
        ASSERT_EQ(history->summary.unreadable.size(), 1u);
        EXPECT_EQ(history->summary.unreadable[0].line, c.unreadable_line);
        if (c.reason_quotes)
            EXPECT_NE(history->summary.unreadable[0].reason.find(c.reason_quotes), std::string::npos);
    }
}

TEST(History, ChosenColumnsAndEncodingsOverrideWhatIsFound)
{
    const std::string odd = "日付,金額,区分\n2025/1/6,\"1,000\",買\n2025/1/7,2000,信用買\n";
    EXPECT_FALSE(read(odd).ok());
    const auto chosen = read(odd, {HistoryEncoding::Auto,
                                   {{HistoryField::Date, QStringLiteral("日付")},
                                    {HistoryField::Amount, QStringLiteral("金額")},
                                    {HistoryField::Side, QStringLiteral("区分")}}});
    ASSERT_TRUE(chosen.ok()) << chosen.error().message;
    EXPECT_EQ(std::pair(chosen->summary.trades, chosen->summary.margin), std::pair(1, 1));
    // UTF-8 bytes read as CP932 find no header.
    EXPECT_FALSE(read(history_file(Layout::PlainAbbreviated), {HistoryEncoding::Cp932, {}}).ok());
}

// Each trade at each broker by the per-trade formula; at a daily plan each
// day once, its trades added up; the yearly fee once a calendar year with a
// trade; the cheapest first, brokers before plans on a tie.
TEST(Replay, EachTradeIsPricedAsTheRankingPricesIt)
{
    BrokerTable table;
    ASSERT_TRUE(read_data_file(QStringLiteral(FEE_SAMPLE_DATA), table).ok());
    const DailyPlans plans = {
        {"day", *Money::from_yen(1'000), {{500'000, {}}}, DailyStep{1'000'000, *Money::from_yen(1'100)}, {}},
        {"twin", *Money::from_yen(1'000), {{500'000, {}}}, DailyStep{1'000'000, *Money::from_yen(1'100)}, {}},
    };
    const Participants participants(table, plans);
    auto history = read(history_file(Layout::QuotedWithTitle));
    ASSERT_TRUE(history.ok());
    history.value().trades[2].date = history->trades[3].date; // two trades on one day
    std::map<HistoryDate, Money> days;
    for (const HistoryTrade& t : history->trades)
        days[t.date] = *days[t.date].plus(t.amount);
    std::vector<std::vector<Money>> details;
    const auto costs = price_history(participants, *history, &details);
    ASSERT_TRUE(costs.ok());
    ASSERT_EQ(costs->size(), std::size_t(participants.size()));
    for (std::size_t i = 0; i < costs->size(); ++i) {
        const ReplayCost& c = (*costs)[i];
        Money commission, column;
        if (participants.is_plan(c.broker))
            for (const auto& [date, total] : days)
                commission = *commission.plus(*participants.commission(c.broker, total));
        else
            for (const HistoryTrade& t : history->trades)
                commission = *commission.plus(*participants.commission(c.broker, t.amount));
        for (const auto& line : details)
            column = *column.plus(line[std::size_t(c.broker)]);
        EXPECT_EQ(std::pair(c.commission, column), std::pair(commission, commission));
        EXPECT_EQ(c.yearly_fees, *participants.yearly_fee(c.broker).times(3));
        EXPECT_EQ(c.total, *commission.plus(c.yearly_fees));
        if (i > 0)
            EXPECT_TRUE((*costs)[i - 1].total < c.total ||
                        ((*costs)[i - 1].total == c.total && (*costs)[i - 1].broker < c.broker));
    }
}

// A large file is read in two halves; the figures are those of one pass,
// also where the middle falls inside a quoted field holding line breaks.
TEST(History, AFileReadInTwoHalvesGivesTheFiguresOfOnePass)
{
    for (const bool breaks_inside_quotes : {false, true}) {
        std::string file = "約定日,備考,取引,約定代金\n";
        std::string middle_note = breaks_inside_quotes ? std::string(3 << 20, '\n') : "";
        for (int i = 0; i < 60'000; ++i) {
            file += "2025/1/" + std::to_string(1 + i % 28) + ",\"" + (i == 30'000 ? middle_note : "n") +
                    "\"," + (i % 7 ? "買" : "信用買") + "," + std::to_string(1000 + i) + "\n";
            if (i % 1000 == 0)
                file += "2025/1/1,,買,bad\n";
        }
        const auto whole = read(file);
        ASSERT_TRUE(whole.ok());
        const HistorySummary& s = whole->summary;
        EXPECT_EQ(std::tuple(s.lines, s.trades, s.margin), std::tuple(60'060, 51'428, 8'572));
        ASSERT_EQ(s.unreadable.size(), 60u);
        const int after_break = breaks_inside_quotes ? int(middle_note.size()) : 0;
        EXPECT_EQ(s.unreadable.back().line, 2 + 59'001 + 59 + after_break);
        EXPECT_EQ(whole->trades.back().line, 2 + 60'059 + after_break);
        EXPECT_EQ(whole->trades.back().amount, *Money::from_yen(1000 + 59'999));
    }
}

} // namespace
