#include <gtest/gtest.h>

#include "core/datafile/daily_plans_file.h"
#include "qt_print.h"

using namespace fee;

namespace {

const QString kFile = QStringLiteral("daily-plans.json");

QByteArray with_plans(const QByteArray& plans)
{
    return R"({"version": 1, "plans": [)" + plans + "]}";
}

TEST(DailyPlansFile, AFileReadsBackAsItWasWritten)
{
    const QByteArray file = with_plans(
        R"({"name": "みなと証券 1日定額", "yearly_fee": 0, "tiers": [{"up_to": 500000, "fee": 0},
        {"up_to": 1000000, "fee": 1100.5}], "above": {"per": 1000000, "fee": 0.0001}, "maximum": 110000},
        {"name": "B", "tiers": [{"up_to": 1, "fee": 99}]})");
    const auto plans = parse_daily_plans(file, kFile);
    ASSERT_TRUE(plans.ok()) << plans.error().message;
    ASSERT_EQ(plans->size(), 2u);
    EXPECT_EQ((*plans)[0].tiers[1].fee, Money::from_units(11'005'000));
    EXPECT_EQ((*plans)[0].above->fee, Money::from_units(1));
    EXPECT_FALSE((*plans)[1].above);
    const QByteArray written = serialize_daily_plans(*plans);
    EXPECT_EQ(parse_daily_plans(written, kFile).value(), *plans);
    EXPECT_EQ(serialize_daily_plans(parse_daily_plans(written, kFile).value()), written);
}

// Each refusal names the file, the plan (by name or position) and what is wrong.
TEST(DailyPlansFile, AFaultyFileIsRefusedNamingThePlace)
{
    const QByteArray tier = R"("tiers": [{"up_to": 1000, "fee": 0}])";
    const struct {
        QByteArray file;
        const char* named; // what the message must name besides the file
    } cases[] = {
        {"{\"version\": 1,\n \"plans\": [}", "2 "},
        {R"({"version": 2, "plans": []})", "version"},
        {with_plans("{" + tier + "}"), "1 "},
        {with_plans(R"({"name": "A"})"), "A"},
        {with_plans(R"({"name": "A", "tiers": [{"up_to": 10, "fee": 0}, {"up_to": 10, "fee": 1}]})"), "A"},
        {with_plans(R"({"name": "A", "tiers": [{"up_to": 0.5, "fee": 0}]})"), "A"},
        {with_plans(R"({"name": "A", "yearly_fee": -1, )" + tier + "}"), "A"},
        {with_plans(R"({"name": "A", "tiers": [{"up_to": 10, "fee": 0.00001}]})"), "A"},
        {with_plans(R"({"name": "A", "above": {"per": 0, "fee": 1}, )" + tier + "}"), "A"},
        {with_plans(R"({"name": "A", )" + tier + R"(}, {"name": "A", )" + tier + "}"), "A"},
        {with_plans(QByteArray(R"({"name": "x", )" + tier + "},").repeated(22).chopped(1)), "22"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const auto plans = parse_daily_plans(c.file, kFile);
        ASSERT_FALSE(plans.ok());
        EXPECT_EQ(plans.error().message.rfind(kFile.toStdString(), 0), 0u) << plans.error().message;
        EXPECT_NE(plans.error().message.find(c.named), std::string::npos) << plans.error().message;
    }
}

} // namespace
