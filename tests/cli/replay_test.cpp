#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <sstream>

#include "cli/cli.h"
#include "core/datafile/data_file.h"
#include "replay/history_files.h"
#include "test_tables.h"

using namespace fee;
using test::history_file;
using test::Layout;

namespace {

struct Replayed {
    int status;
    std::string out, err;
};

// The command on a history in a folder of its own, which holds nothing else afterwards.
Replayed replay(const std::string& history, std::vector<std::string> args,
                const std::string& data = FEE_SAMPLE_DATA)
{
    const QTemporaryDir dir;
    QFile f(dir.filePath("history.csv"));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(history.data(), qint64(history.size())) > 0);
    f.close();
    args.insert(args.begin(), {"replay", f.fileName().toStdString(), "--data", data});
    std::ostringstream out, err;
    const int status = run_cli(args, out, err);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
    return {status, out.str(), err.str()};
}

QJsonObject json(const std::string& history, std::vector<std::string> args = {})
{
    args.insert(args.end(), {"--format", "json"});
    return QJsonDocument::fromJson(QByteArray::fromStdString(replay(history, args).out)).object();
}

QStringList lines(const std::string& out)
{
    return QString::fromStdString(out).split(u'\n');
}

// A table whose first broker's commission leaves the money range at once.
std::string overflowing_table(const QTemporaryDir& dir)
{
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    t.broker(0).brackets.at(0).rate = 1e12f;
    EXPECT_TRUE(save_data_file(dir.filePath("compare.dat"), t).ok());
    return dir.filePath("compare.dat").toStdString();
}

} // namespace

// CSV gives JSON's brokers in the same order with the same figures; --details
// adds, after an empty line, a heading and a line per priced trade.
TEST(Replay, CsvAndJsonGiveTheSameRankingAndDetails)
{
    const std::string history = history_file(Layout::QuotedWithTitle);
    for (const auto& extra : {std::vector<std::string>{}, std::vector<std::string>{"--details"}}) {
        const QJsonObject all = json(history, extra);
        const QJsonArray brokers = all["brokers"].toArray();
        std::vector<std::string> args = {"--format", "csv"};
        args.insert(args.end(), extra.begin(), extra.end());
        const QStringList out = lines(replay(history, args).out);
        for (qsizetype b = 0; b < brokers.size(); ++b) {
            const QJsonObject o = brokers[b].toObject();
            const QStringList cells = out[b + 1].split(u',');
            const QString row = o["row"].isString() ? o["row"].toString() : QString::number(o["row"].toInt());
            EXPECT_EQ(cells.mid(0, 3),
                      QStringList({row, o["name"].toString(), QString::number(o["trades"].toInt())}));
            for (const auto& [i, key] : {std::pair(3, "commission"), {4, "yearly_fees"}, {5, "total"}})
                EXPECT_EQ(cells[i].toDouble(), o[QLatin1String(key)].toDouble()) << key;
        }
        const qsizetype trades = extra.empty() ? 0 : all["summary"]["trades"].toInt();
        EXPECT_EQ(all["details"].toArray().size(), trades);
        EXPECT_EQ(out.size(), brokers.size() + 2 + (trades ? trades + 2 : 0));
        if (trades)
            EXPECT_EQ(out[brokers.size() + 2].count(u','), brokers.size() + 2);
    }
}

// The summary names the columns read; the table gives the fee column's sum in a line of its own.
TEST(Replay, SummaryNamesTheColumnsAndWhatWasPaid)
{
    const std::string with_fee = history_file(Layout::QuotedWithTitle),
                      without = history_file(Layout::CreatedOnProduct);
    const QJsonObject a = json(with_fee)["summary"].toObject(), b = json(without)["summary"].toObject();
    EXPECT_TRUE(a["columns"]["amount"].isNull());
    EXPECT_EQ(b["columns"]["amount"].toString(), QStringLiteral("約定代金"));
    EXPECT_TRUE(a["columns"]["side"].isArray());
    EXPECT_EQ(std::pair(a["paid"].isNull(), b["paid"].isNull()), std::pair(false, true));
    EXPECT_EQ(lines(replay(with_fee, {}).out).size(), lines(replay(without, {}).out).size() + 1);
}

TEST(Replay, ExitsOneWithTheReasonAndTwoOnUsage)
{
    const std::string good = history_file(Layout::QuotedWithTitle);
    const std::string odd = "日付,金額,区分\n2025/1/6,\"1,000\",買\n";
    const QTemporaryDir elsewhere;
    const struct {
        std::string history;
        std::vector<std::string> args;
        int status;
        std::string data = FEE_SAMPLE_DATA;
    } cases[] = {
        {good, {}, 0},
        {odd, {}, 1},                                                   // no header
        {odd, {"--column", "date=日付", "--column", "amount=金額"}, 0}, // ... unless the columns are named
        {"約定日,取引,約定代金\n2025/1/6,信用新規買,1000\n", {}, 1},    // no cash trade
        {history_file(Layout::PlainAbbreviated), {"--encoding", "cp932"}, 1},
        {good, {}, 1, overflowing_table(elsewhere)},
        {good, {"--encoding", "latin1"}, 2},
        {good, {"--column", "volume=数量"}, 2},
        {good, {"--column", "date"}, 2},
        {good, {"--sort"}, 2},
    };
    for (const auto& c : cases) {
        const Replayed r = replay(c.history, c.args, c.data);
        EXPECT_EQ(r.status, c.status) << c.history;
        EXPECT_EQ(r.out.empty(), c.status != 0);
        EXPECT_EQ(r.err.empty(), c.status == 0) << r.err;
    }
    std::ostringstream out, err;
    EXPECT_EQ(run_cli({"replay", elsewhere.filePath("missing.csv").toStdString(), "--data", FEE_SAMPLE_DATA},
                      out, err),
              1);
    EXPECT_EQ(run_cli({"replay", "--data", FEE_SAMPLE_DATA}, out, err), 2);
}
