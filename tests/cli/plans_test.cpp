#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <sstream>

#include "cli/cli.h"
#include "core/datafile/daily_plans_file.h"
#include "core/datafile/data_file.h"
#include "replay/history_files.h"
#include "test_tables.h"

using namespace fee;

namespace {

Money yen(double y)
{
    return *Money::from_double_yen_half_even(y);
}

// One standard broker, and beside it a plan free up to ¥1,000,000 a day and
// dear above, so that it wins wherever a day stays below that.
class CliPlans : public ::testing::Test {
protected:
    void SetUp() override
    {
        BrokerTable t;
        test::set_standard_schedule(t, 0);
        t.broker(0).name = "Broker";
        ASSERT_TRUE(save_data_file(path("compare.dat"), t).ok());
        write("daily-plans.json", serialize_daily_plans({free_plan_}));
        write("history.csv", QByteArray::fromStdString(test::history_file(test::Layout::QuotedWithTitle)));
    }

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    void write(const char* name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
    }
    std::pair<int, std::string> run(std::vector<std::string> args, std::string* err = nullptr) const
    {
        args.insert(args.end(), {"--data", path("compare.dat").toStdString()});
        std::ostringstream out, errors;
        const int status = run_cli(args, out, errors);
        if (err)
            *err = errors.str();
        return {status, out.str()};
    }

    QTemporaryDir dir_;
    DailyPlan free_plan_{"Plan", {}, {{1'000'000, {}}}, DailyStep{1'000'000, yen(1e6)}, {}};
};

} // namespace

// A plan's row is D0, a string in JSON; it takes part beside the broker.
TEST_F(CliPlans, APlanTakesPartUnderItsIdInEveryCommand)
{
    const std::string history = path("history.csv").toStdString();
    const struct {
        std::vector<std::string> args;
        std::string shown;
    } cases[] = {
        {{"compare", "--row", "100000", "10", "--format", "csv"}, "\nD0,Plan,0,¥0\n"},
        {{"compare", "--format", "json"}, "{\"row\": \"D0\", \"name\": \"Plan\""},
        {{"cheapest", "--to", "1000000", "--format", "csv"}, "\n1,1000000,D0,Plan,0,0\n"},
        {{"accounts", "--row", "100000", "10", "--format", "json"}, "\"rows\": \"D0\""},
        {{"accounts", "--row", "100000", "10", "--format", "json"}, "\"takers\": [\"D0\", null"},
        {{"accounts", "--row", "100000", "10", "--row", "9000000", "1", "--format", "csv"},
         ",0;D0,Broker;Plan\n"},
        {{"replay", history, "--format", "json"}, "{\"row\": \"D0\", \"name\": \"Plan\""},
        {{"replay", history, "--format", "csv", "--details"}, ",0,D0\n"},
    };
    for (const auto& c : cases) {
        const auto [status, out] = run(c.args);
        EXPECT_EQ(status, 0) << c.args[0];
        EXPECT_NE(out.find(c.shown), std::string::npos) << out;
    }
}

// Missing beside the data, there are no plans; refused, or missing where
// --daily names it, the command stops naming the file.
TEST_F(CliPlans, AFileThatCannotBeUsedStopsEveryCommand)
{
    const std::string history = path("history.csv").toStdString(), other = path("other.json").toStdString();
    const struct {
        QByteArray beside; // daily-plans.json; empty: none
        std::vector<std::string> daily;
        int status;
        std::string named;
    } cases[] = {
        {"", {}, 0, ""},
        {R"({"version": 2, "plans": []})", {}, 1, path("daily-plans.json").toStdString()},
        {"", {"--daily", other}, 1, other},
        {"[", {"--daily", path("daily-plans.json").toStdString()}, 1, path("daily-plans.json").toStdString()},
    };
    for (const auto& c : cases) {
        QFile::remove(path("daily-plans.json"));
        if (!c.beside.isEmpty())
            write("daily-plans.json", c.beside);
        for (std::vector<std::string> args :
             {std::vector<std::string>{"compare"}, {"cheapest"}, {"accounts"}, {"replay", history}}) {
            args.insert(args.end(), c.daily.begin(), c.daily.end());
            std::string err;
            const auto [status, out] = run(args, &err);
            EXPECT_EQ(status, c.status) << args[0] << err;
            EXPECT_EQ(out.find("D0"), std::string::npos) << out;
            EXPECT_EQ(err.empty(), c.named.empty()) << err;
            EXPECT_EQ(err.rfind(c.named, 0), 0u) << err;
        }
    }
}
