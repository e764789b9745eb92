#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <sstream>

#include "broker_table/codepage.h"
#include "broker_table/data_file.h"
#include "cli/cli.h"
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
        t.set_com_last(2);
        for (int r = 0; r <= 2; ++r)
            test::set_standard_schedule(t, r);
        t.com_name(0) = encode_typed_name(QStringLiteral("サンプル証券")).value();
        t.com_name(1) = "Comma, \"Quoted\"";
        t.com_name(2) = "Cheap";
        t.com_fix(1) = *Money::from_yen(0);
        t.com_fix(2) = Money::from_units(19'999'883); // shows the same whole yen as broker 0, costs less
        ASSERT_TRUE(write_data_file(data(), t).ok());
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
    EXPECT_EQ(r.err, "--row: 1 行目の回数が数値ではありません: \"abc\"\n");

    r = run({"compare", "--row", "100,000,000", "2,000,000,000", "--row", "100,000,000", "2,000,000,000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("「サンプル証券」の年間費用が大きすぎて"), std::string::npos);

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
        EXPECT_EQ(r.err, data().toStdString() + " の 3 行目が数値ではありません: \"abc\"\n");
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
}

TEST(CliExecutable, WorkedExampleOnTheCommandLine)
{
    QTemporaryDir dir;
    BrokerTable t;
    test::set_standard_schedule(t, 0);
    t.com_name(0) = "Standard";
    ASSERT_TRUE(write_data_file(dir.filePath("compare.dat"), t).ok());
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
