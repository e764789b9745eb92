#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <sstream>

#include "cli/cli.h"
#include "core/analysis/cheapest.h"
#include "core/datafile/data_file.h"
#include "core/document/data_lock.h"
#include "core/text/codepage.h"
#include "test_tables.h"

using namespace fee;

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        BrokerTable t;
        t.set_last_broker(2);
        for (int r = 0; r <= 2; ++r)
            test::set_standard_schedule(t, r);
        t.broker(0).name = encode_typed_name(QStringLiteral("サンプル証券")).value();
        t.broker(1).name = "Comma, \"Quoted\"";
        t.broker(2).name = "Cheap";
        t.broker(1).yearly_fee = *Money::from_yen(0);
        t.broker(2).yearly_fee =
            Money::from_units(19'999'883); // shows the same whole yen as broker 0, costs less
        ASSERT_TRUE(save_data_file(data(), t).ok());
        original_ = bytes();
    }

    QString data() const { return dir_.filePath("compare.dat"); }
    std::string bytes() const
    {
        QFile f(data());
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
    }

    CliRun run(std::vector<std::string> args, bool with_data = true)
    {
        if (with_data) {
            args.push_back("--data");
            args.push_back(data().toStdString());
        }
        std::ostringstream out, err;
        const int status = run_cli(args, out, err);
        return {status, out.str(), err.str()};
    }

    QTemporaryDir dir_;
    std::string original_;
};

} // namespace

TEST_F(Cli, CompareCsvGivesExactCostsAndCurrencyForm)
{
    const CliRun r = run({"compare", "--preset", "low-occasional", "--format", "csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "row,name,cost,yen\n"
                     "0,サンプル証券,441499.9883,\"¥441,500\"\n"
                     "1,\"Comma, \"\"Quoted\"\"\",439499.9883,\"¥439,500\"\n"
                     "2,Cheap,441499.9766,\"¥441,500\"\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Cli, SortFollowsExactCostsNotTheShownYen)
{
    const CliRun r = run({"compare", "--preset", "low-occasional", "--sort", "--format", "csv"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "row,name,cost,yen\n"
                     "1,\"Comma, \"\"Quoted\"\"\",439499.9883,\"¥439,500\"\n"
                     "2,Cheap,441499.9766,\"¥441,500\"\n"
                     "0,サンプル証券,441499.9883,\"¥441,500\"\n");
}

// CSV guards the names from the file, not the figures the program formats.
TEST_F(Cli, CsvGuardsNamesButNotFigures)
{
    BrokerTable t;
    ASSERT_TRUE(read_data_file(data(), t).ok());
    t.broker(0).name = "=HYPERLINK(\"http://x\",\"y\")";
    t.broker(2).yearly_fee = *Money::from_yen(-500'000);
    ASSERT_TRUE(save_data_file(data(), t).ok());
    const std::string name = "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")";
    const std::string compare = run({"compare", "--format", "csv"}).out;
    EXPECT_NE(compare.find("\n0," + name + "\",2000,\"¥2,000\"\n"), std::string::npos) << compare;
    EXPECT_NE(compare.find("\n2,Cheap,-500000,\"-¥500,000\"\n"), std::string::npos) << compare;
    const std::string accounts = run({"accounts", "--format", "csv"}).out;
    EXPECT_NE(accounts.find(",0;1;2," + name + ";Comma"), std::string::npos) << accounts;
}

TEST_F(Cli, RowsAreParsedLikeThePlanWindowAndMissingRowsAreZero)
{
    const CliRun r = run({"compare", "--row", "¥3,000,000", "2.5", "--format", "json"});
    ASSERT_EQ(r.status, 0) << r.err;
    // 2.5 trades count as 2: 2 x 29,499.9988 + 2,000.
    EXPECT_NE(
        r.out.find("{\"row\": 0, \"name\": \"サンプル証券\", \"cost\": 60999.9976, \"yen\": \"¥61,000\"}"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"name\": \"Comma, \\\"Quoted\\\"\""), std::string::npos);
    EXPECT_EQ(r.out.front(), '[');
}

TEST_F(Cli, FailuresPrintNothingAndLeaveTheFileAlone)
{
    CliRun r = run({"compare", "--row", "1,000", "abc"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "--row: 取引の予定の 1 行目の回数が数値ではありません: 「abc」。"
                     "1 年間の取引の回数を数字で入れて下さい（しないなら 0）。\n");

    r = run({"compare", "--row", "100,000,000", "2,000,000,000", "--row", "100,000,000", "2,000,000,000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    // The message names the broker and the plan's row whose count is too large.
    EXPECT_EQ(r.err, "1 社目「サンプル証券」の年間費用が大きすぎて計算できません（922 兆円を超えます）。"
                     "取引の予定の 2 行目までの手数料の合計が大きすぎます。"
                     "取引の予定の約定代金か回数を小さくして下さい。\n");

    for (auto args : std::vector<std::vector<std::string>>{
             {"compare", "--row", "1"},
             {"compare", "--preset", "medium"},
             {"compare", "--preset", "low-frequent", "--row", "1", "1"},
             {"check", "--sort"},
             {"frobnicate"},
             {},
             {"compare", "--format", "xml"},
             {"compare", "--row", "1", "1", "--row", "1", "1", "--row", "1", "1", "--row", "1", "1", "--row",
              "1", "1", "--row", "1", "1"}}) {
        r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err, "");
    }
    EXPECT_EQ(bytes(), original_);
}

TEST_F(Cli, BadOrMissingDataExitsOneWithoutCreatingOrChangingIt)
{
    QFile f(data());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0\r\nname\r\nabc\r\n");
    f.close();
    for (const char* cmd : {"check", "normalize", "compare"}) {
        const CliRun r = run({cmd});
        EXPECT_EQ(r.status, 1) << cmd;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, data().toStdString() +
                             " の 3 行目（1 社目「name」の維持費）が数値ではありません: 「abc」。"
                             "テキストエディターでその行を直すか、保存しておいた写しに戻して下さい。\n");
        EXPECT_EQ(bytes(), "0\r\nname\r\nabc\r\n");
    }
    ASSERT_TRUE(QFile::remove(data()));
    const CliRun r = run({"normalize"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFileInfo::exists(data()));
}

TEST_F(Cli, NormalizeRewritesInGeneralForm)
{
    std::string messy = original_;
    messy.replace(messy.find("1000000\r\n"), 7,
                  "\x5C"
                  "1,000,000");
    messy += "trailing\r\n";
    QFile f(data());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(messy.data(), static_cast<qint64>(messy.size()));
    f.close();
    EXPECT_EQ(run({"check"}).status, 0);
    EXPECT_EQ(bytes(), messy);
    const CliRun r = run({"normalize"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(bytes(), original_);

    // While the program has the file open, normalize keeps out; check and
    // compare only read.
    f.open(QIODevice::WriteOnly);
    f.write(messy.data(), static_cast<qint64>(messy.size()));
    f.close();
    DataLock window;
    ASSERT_TRUE(window.acquire(data(), data()).ok());
    const CliRun refused = run({"normalize"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("ほかで開かれています"), std::string::npos) << refused.err;
    EXPECT_EQ(bytes(), messy);
    EXPECT_EQ(run({"check"}).status, 0);
}

TEST(CliExecutable, WorkedExampleOnTheCommandLine)
{
    QTemporaryDir dir;
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    t.broker(0).name = "Standard";
    ASSERT_TRUE(save_data_file(dir.filePath("compare.dat"), t).ok());
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(FEE_CLI_PATH, {"compare", "--preset", "low-occasional"});
    ASSERT_TRUE(p.waitForFinished(30'000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(out.contains("¥441,500")) << out.toStdString();
    EXPECT_TRUE(out.contains("441499.9883")) << out.toStdString();

    p.start(FEE_CLI_PATH, {"compare", "--preset", "low-occasional", "--format", "csv"});
    ASSERT_TRUE(p.waitForFinished(30'000));
    EXPECT_EQ(p.readAllStandardOutput().toStdString(),
              "row,name,cost,yen\n0,Standard,441499.9883,\"¥441,500\"\n");

    p.start(FEE_CLI_PATH, {"--help"});
    ASSERT_TRUE(p.waitForFinished(30'000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).contains("--preset"));

    p.start(FEE_CLI_PATH, {"compare", "--bogus"});
    ASSERT_TRUE(p.waitForFinished(30'000));
    EXPECT_EQ(p.exitCode(), 2);
}

TEST(SampleData, LoadsAndIsAlreadyNormalised)
{
    BrokerTable t;
    const auto r = read_data_file(FEE_SAMPLE_DATA, t);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_GE(t.broker_count(), 6);
    EXPECT_LE(t.broker_count(), 8);
    QFile f(FEE_SAMPLE_DATA);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), serialize_data_file(t).value());
}

namespace {

// The standard schedule against a flat 0.3 % with a comma in its name.
class CliCheapest : public Cli {
protected:
    void SetUp() override
    {
        BrokerTable t;
        t.set_last_broker(1);
        test::set_standard_schedule(t, 0);
        t.broker(0).name = "Standard";
        t.broker(1).name = "Flat, 0.3%";
        for (std::size_t k = 0; k < kBoundedBrackets; ++k)
            t.broker(1).brackets.at(k).upper_bound = *Money::from_yen(kMaxWholeYen);
        t.broker(1).brackets.at(0).rate = 0.003f;
        ASSERT_TRUE(save_data_file(data(), t).ok());
        original_ = bytes();
    }
};

} // namespace

TEST_F(CliCheapest, CsvGivesTheRunsWithExactCommissions)
{
    // 90,833,332 x 0.003 (as a single, 0.0030000000261) = 272,499.9984 still
    // undercuts the standard schedule's flat 272,500 above 50,000,000.
    const CliRun r = run({"cheapest", "--format", "csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "from,to,row,name,commission_from,commission_to\n"
                     "1,90833332,1,\"Flat, 0.3%\",0.003,272499.9984\n"
                     "90833333,100000000,0,Standard,272500,272500\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CliCheapest, AmountsReadLikeThePlanBoxesAndJsonCarriesTheSameFields)
{
    const CliRun r =
        run({"cheapest", "--from", "¥90,833,332", "--to", "９０，８３３，３３３", "--format", "json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[\n"
                     "  {\"from\": 90833332, \"to\": 90833332, \"row\": 1, \"name\": \"Flat, 0.3%\", "
                     "\"commission_from\": 272499.9984, \"commission_to\": 272499.9984},\n"
                     "  {\"from\": 90833333, \"to\": 90833333, \"row\": 0, \"name\": \"Standard\", "
                     "\"commission_from\": 272500, \"commission_to\": 272500}\n"
                     "]\n");
    const CliRun table = run({"cheapest", "--to", "1000"});
    ASSERT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("¥1 〜"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("Flat, 0.3%\n"), std::string::npos) << table.out;
}

// The best single account is the result grid's first place, for every preset;
// names are quoted by the CSV rule.
TEST_F(Cli, AccountsStartFromTheCheapestBroker)
{
    for (const char* preset : {"low-occasional", "low-frequent", "high-occasional", "high-frequent"}) {
        const CliRun accounts = run({"accounts", "--preset", preset, "--format", "csv", "--max", "9"});
        const CliRun ranking = run({"compare", "--preset", preset, "--format", "json", "--sort"});
        ASSERT_EQ(accounts.status, 0) << accounts.err;
        const QStringList lines = QString::fromStdString(accounts.out).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 4) << accounts.out; // the header and one line for each of the 3 brokers
        const QJsonObject best =
            QJsonDocument::fromJson(QByteArray::fromStdString(ranking.out)).array()[0].toObject();
        EXPECT_TRUE(lines[1].startsWith(
            QStringLiteral("1,%1,%2,")
                .arg(QString::number(best["cost"].toDouble(), 'f', 4).remove(QRegularExpression("\\.?0+$")))
                .arg(best["row"].toInt())))
            << accounts.out;
        EXPECT_TRUE(lines[3].endsWith(QStringLiteral("\"サンプル証券;Comma, \"\"Quoted\"\";Cheap\"")))
            << accounts.out;
    }
}

TEST_F(CliCheapest, BadRangesAndOverflowPrintNothing)
{
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    for (const Case& c :
         {Case{{"cheapest", "--from", "1.5"}, 1, "--from: 金額は円単位の整数にして下さい: \"1.5\""},
          Case{{"cheapest", "--to", "abc"}, 1, "--to: 金額が数値ではありません: \"abc\""},
          Case{{"cheapest", "--from", "10", "--to", "9"}, 2, "--from (10) が --to (9) より大きく"},
          Case{{"compare", "--to", "9"}, 2, "--from, --to は cheapest でだけ使えます"},
          Case{{"check", "--format", "csv"},
               2,
               "--format は compare と cheapest と accounts と replay と plans でだけ"},
          Case{{"cheapest", "--sort"}, 2, "--sort は compare でだけ"},
          Case{{"compare", "--max", "2"}, 2, "--max は accounts でだけ"},
          Case{{"accounts", "--max", "0"}, 2, "「0」"}, Case{{"accounts", "--max", "-1"}, 2, "「-1」"},
          Case{{"accounts", "--max", "two"}, 2, "「two」"},
          Case{{"accounts", "--row", "9e14", "2"}, 1, "--row: 取引の予定の 1 行目"},
          // 272,500 x 2,000,000,000 four times leaves the range; Flat's 0.3% leaves it at once.
          Case{{"accounts", "--row", "900,000,000,000,000", "2000000000", "--row", "90,000,000,000,000",
                "2000000000", "--row", "9,000,000,000,000", "2000000000", "--row", "900,000,000,000",
                "2000000000"},
               1,
               "組み合わせ"}}) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1];
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }

    BrokerTable t;
    ASSERT_TRUE(read_data_file(data(), t).ok());
    t.broker(1).brackets.at(0).rate = 1e12f; // overflows from 923 yen on
    ASSERT_TRUE(save_data_file(data(), t).ok());
    const CliRun r = run({"cheapest"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("2 番目の証券会社「Flat, 0.3%」は ¥923 の取引の手数料が大きすぎて"),
              std::string::npos)
        << r.err;
}

TEST(CliExecutable, CheapestOnTheSampleData)
{
    QProcess p;
    p.start(FEE_CLI_PATH, {"cheapest", "--data", FEE_SAMPLE_DATA, "--format", "csv"});
    ASSERT_TRUE(p.waitForFinished(30'000));
    EXPECT_EQ(p.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.first(), "from,to,row,name,commission_from,commission_to");
    // The runs cover 1..100,000,000 without a gap or an overlap.
    qint64 next = 1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].section(',', 0, 0).toLongLong(), next) << lines[i].toStdString();
        next = lines[i].section(',', 1, 1).toLongLong() + 1;
    }
    EXPECT_EQ(next, 100'000'001);
}

namespace {

// rename, remove and move on the three brokers of Cli: サンプル証券, the quoted
// name and Cheap.
class CliListEdits : public Cli {
protected:
    BrokerTable table() const
    {
        BrokerTable t;
        EXPECT_TRUE(read_data_file(data(), t).ok());
        return t;
    }

    // The bytes of the table as it was, with the brokers in the order of `rows`.
    std::string reordered(const BrokerTable& original, std::vector<int> rows) const
    {
        BrokerTable t;
        t.set_last_broker(static_cast<int>(rows.size()) - 1);
        for (std::size_t i = 0; i < rows.size(); ++i)
            t.broker(static_cast<int>(i)) = original.broker(rows[i]);
        return serialize_data_file(t).value();
    }

    void restore() const
    {
        QFile f(data());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(original_.data(), static_cast<qint64>(original_.size()));
    }
};

} // namespace

TEST_F(CliListEdits, RenameWritesTheNameInTheFilesCodePage)
{
    const BrokerTable before = table();
    CliRun r = run({"rename", "1", "みなと証券"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    BrokerTable expected = before;
    expected.broker(1).name = "\x82\xdd\x82\xc8\x82\xc6\x8f\xd8\x8c\x94";
    EXPECT_EQ(bytes(), serialize_data_file(expected).value());
    const std::string start = "2\r\n"
                              "\x83\x54\x83\x93\x83\x76\x83\x8b\x8f\xd8\x8c\x94\r\n2000\r\n0\r\n0\r\n"
                              "\x82\xdd\x82\xc8\x82\xc6\x8f\xd8\x8c\x94\r\n0\r\n0\r\n0\r\nCheap\r\n";
    EXPECT_EQ(bytes().substr(0, start.size()), start);

    // The yen sign is the code page's 5C; a name may start with a minus after "--".
    r = run({"rename", "--data", data().toStdString(), "--", "2", "-¥証券"}, false);
    ASSERT_EQ(r.status, 0) << r.err;
    expected.broker(2).name = "-\x5C\x8f\xd8\x8c\x94";
    EXPECT_EQ(bytes(), serialize_data_file(expected).value());
}

TEST_F(CliListEdits, RemoveAndMoveShiftTheOtherBrokers)
{
    const BrokerTable before = table();
    const struct {
        std::vector<std::string> args;
        std::vector<int> order;
    } cases[] = {
        {{"remove", "1"}, {0, 2}},
        {{"remove", "2"}, {0, 1}},
        {{"move", "0", "2"}, {1, 2, 0}},
        {{"move", "2", "0"}, {2, 0, 1}},
    };
    for (const auto& c : cases) {
        restore();
        const CliRun r = run(c.args);
        ASSERT_EQ(r.status, 0) << c.args[0] << " " << r.err;
        EXPECT_EQ(r.out + r.err, "");
        EXPECT_EQ(bytes(), reordered(before, c.order)) << c.args[0] << " " << c.args[1];
    }
}

TEST_F(CliListEdits, RefusalsExitOneAndLeaveTheFileAsItWas)
{
    const std::string rows = "番号は 0 から 2 までです（一覧の順に 0 から数えます）。\n";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"rename", "3", "X"}, "番号 3 の証券会社はありません。" + rows},
        {{"remove", "-1"}, "番号 -1 の証券会社はありません。" + rows},
        {{"remove", "99999999999999999999"}, "番号 9223372036854775807 の証券会社はありません。" + rows},
        {{"move", "0", "3"}, "移動先の番号 3 の証券会社はありません。" + rows},
        {{"rename", "0", "Café"}, encode_typed_name(QStringLiteral("Café")).error().message + "\n"},
        {{"rename", "0", "改行\n証券"}, "名前に改行は使えません。1 行で入力して下さい。\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 1) << c.args[1];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(bytes(), original_);
    }

    // The only broker stays.
    for (const char* row : {"0", "0"})
        ASSERT_EQ(run({"remove", row}).status, 0);
    const std::string one = bytes();
    const CliRun last = run({"remove", "0"});
    EXPECT_EQ(last.status, 1);
    EXPECT_EQ(last.out, "");
    EXPECT_EQ(last.err,
              "「Cheap」は一覧のただ 1 社なので削除できません。先にほかの証券会社を追加して下さい。\n");
    EXPECT_EQ(bytes(), one);
}

TEST_F(CliListEdits, UsageErrorsExitTwoAndLeaveTheFileAsItWas)
{
    for (auto args : std::vector<std::vector<std::string>>{{"rename"},
                                                           {"rename", "0"},
                                                           {"rename", "x", "X"},
                                                           {"rename", "0", "X", "Y"},
                                                           {"remove"},
                                                           {"remove", "1.5"},
                                                           {"remove", "+1"},
                                                           {"remove", " 1"},
                                                           {"remove", "0", "1"},
                                                           {"move", "0"},
                                                           {"move", "0", "down"},
                                                           {"move", "0", "1", "--sort"},
                                                           {"check", "0"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << args.size();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("詳しくは fee-compare-cli --help"), std::string::npos) << r.err;
    }
    EXPECT_EQ(run({"remove", "abc"}).err,
              "ROW は 0 から数えた表の番号 (整数) です: 「abc」\n詳しくは fee-compare-cli --help\n");
    EXPECT_EQ(run({"move", "1"}).err,
              "move には ROW TO が必要です（TO がありません）。\n詳しくは fee-compare-cli --help\n");
    EXPECT_EQ(bytes(), original_);
}

TEST_F(CliListEdits, WhileTheProgramHasTheFileNothingIsChanged)
{
    DataLock window;
    ASSERT_TRUE(window.acquire(data(), data()).ok());
    for (auto args :
         std::vector<std::vector<std::string>>{{"rename", "0", "X"}, {"remove", "0"}, {"move", "0", "1"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("ほかで開かれています"), std::string::npos) << r.err;
        EXPECT_EQ(bytes(), original_);
    }
}

TEST(CliExecutable, RenameTakesAUtf8NameFromTheCommandLine)
{
    QTemporaryDir dir;
    BrokerTable t;
    t.set_last_broker(1);
    t.broker(0).name = "A";
    t.broker(1).name = "B";
    ASSERT_TRUE(save_data_file(dir.filePath("compare.dat"), t).ok());
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(FEE_CLI_PATH, {"rename", "1", QStringLiteral("みなと証券")});
    ASSERT_TRUE(p.waitForFinished(30'000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    p.start(FEE_CLI_PATH, {"move", "1", "0"});
    ASSERT_TRUE(p.waitForFinished(30'000));
    EXPECT_EQ(p.exitCode(), 0);
    t.broker(1).name = "A";
    t.broker(0).name = "\x82\xdd\x82\xc8\x82\xc6\x8f\xd8\x8c\x94";
    QFile f(dir.filePath("compare.dat"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), serialize_data_file(t).value());
}
