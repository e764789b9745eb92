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

struct Ran {
    int status;
    std::string out, err;
};

void write(const std::string& path, const QByteArray& bytes)
{
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
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
        ASSERT_TRUE(save_data_file(QString::fromStdString(data_), t).ok());
        const DailyPlan plan{
            "Plan", {}, {{1'000'000, {}}}, DailyStep{1'000'000, *Money::from_yen(1'000'000)}, {}};
        write(plans_, serialize_daily_plans({plan}));
        write(history_, QByteArray::fromStdString(test::history_file(test::Layout::QuotedWithTitle)));
    }

    Ran run(std::vector<std::string> args) const
    {
        args.insert(args.end(), {"--data", data_});
        std::ostringstream out, err;
        const int status = run_cli(args, out, err);
        return {status, out.str(), err.str()};
    }

    QTemporaryDir dir_;
    const std::string data_ = dir_.filePath("compare.dat").toStdString(),
                      plans_ = dir_.filePath("daily-plans.json").toStdString(),
                      history_ = dir_.filePath("history.csv").toStdString();
};

} // namespace

// A plan's row is D0, a string in JSON; it takes part beside the broker.
TEST_F(CliPlans, APlanTakesPartUnderItsIdInEveryCommand)
{
    const struct {
        std::vector<std::string> args;
        std::string shown;
    } cases[] = {
        {{"compare", "--row", "100000", "10", "--format", "csv"}, "\nD0,Plan,0,¥0\n"},
        {{"compare", "--format", "json"}, "{\"row\": \"D0\", \"name\": \"Plan\""},
        {{"cheapest", "--to", "1000000", "--format", "csv"}, "\n1,1000000,D0,Plan,0,0\n"},
        {{"accounts", "--row", "100000", "10", "--format", "json"}, "\"takers\": [\"D0\", null"},
        {{"accounts", "--row", "100000", "10", "--row", "9000000", "1", "--format", "csv"},
         ",0;D0,Broker;Plan\n"},
        {{"replay", history_, "--format", "json"}, "{\"row\": \"D0\", \"name\": \"Plan\""},
        {{"replay", history_, "--format", "csv", "--details"}, ",0,D0\n"},
        {{"plans", "--format", "csv"}, "\nD0,Plan,0,1000000:0,1000000,1000000,\n"},
        {{"plans", "--format", "json"},
         R"("tiers": [{"up_to": 1000000, "fee": 0}], "above": {"per": 1000000, "fee": 1000000}, "maximum": null)"},
    };
    for (const auto& c : cases) {
        const Ran r = run(c.args);
        EXPECT_EQ(r.status, 0) << c.args[0] << r.err;
        EXPECT_NE(r.out.find(c.shown), std::string::npos) << r.out;
    }
}

// Missing beside the data, there are no plans; refused, or missing where
// --daily names it, the command stops naming the file.
TEST_F(CliPlans, AFileThatCannotBeUsedStopsEveryCommand)
{
    const std::string other = dir_.filePath("other.json").toStdString();
    const struct {
        QByteArray beside; // daily-plans.json; empty: none
        std::vector<std::string> daily;
        int status;
        std::string named;
    } cases[] = {
        {"", {}, 0, ""},
        {R"({"version": 2, "plans": []})", {}, 1, plans_},
        {"", {"--daily", other}, 1, other},
        {"[", {"--daily", plans_}, 1, plans_},
    };
    const std::vector<std::vector<std::string>> commands = {
        {"compare"}, {"cheapest"}, {"accounts"}, {"replay", history_}, {"plans", "--format", "csv"}};
    for (const auto& c : cases) {
        QFile::remove(QString::fromStdString(plans_));
        if (!c.beside.isEmpty())
            write(plans_, c.beside);
        for (std::vector<std::string> args : commands) {
            args.insert(args.end(), c.daily.begin(), c.daily.end());
            const Ran r = run(args);
            EXPECT_EQ(r.status, c.status) << args[0] << r.err;
            EXPECT_EQ(r.out.find("D0"), std::string::npos) << r.out;
            EXPECT_EQ(r.err.empty(), c.named.empty()) << r.err;
            EXPECT_EQ(r.err.rfind(c.named, 0), 0u) << r.err;
        }
    }
}
