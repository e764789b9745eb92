#include <gtest/gtest.h>

#include "core/analysis/chart_scale.h"
#include "core/money/number_text.h"

using namespace fee;

TEST(AxisLabel, YenAsTheGridWritesMoneyAndFactorsAsTimes)
{
    EXPECT_EQ(axis_label(10'000, AxisUnit::Yen), QStringLiteral("¥10,000"));
    EXPECT_EQ(axis_label(100'000'000, AxisUnit::Yen), QStringLiteral("¥100,000,000"));
    EXPECT_EQ(axis_label(0.5, AxisUnit::Yen), QStringLiteral("¥0.5"));
    // Exact where a double's yen no longer convert to 1/10,000 yen exactly.
    const auto top = static_cast<double>(kMaxWholeYen);
    EXPECT_EQ(axis_label(top, AxisUnit::Yen), currency_form(Money::from_whole_yen(kMaxWholeYen)));
    EXPECT_EQ(axis_label(0.1, AxisUnit::Factor), QStringLiteral("×0.1"));
    EXPECT_EQ(axis_label(1, AxisUnit::Factor), QStringLiteral("×1"));
    EXPECT_EQ(axis_label(10, AxisUnit::Factor), QStringLiteral("×10"));
}

TEST(ChartScale, PowersOfTenOrOneTwoFiveTimesThemWhereFewerLie)
{
    EXPECT_EQ(amount_scale({3, 2'000}).ticks(0), (std::vector<double>{10, 100, 1'000}));
    EXPECT_EQ(amount_scale({30, 900}).ticks(0), (std::vector<double>{50, 100, 200, 500}));
}

TEST(ChartScale, TwoAmountsNextToEachOtherAtTheTopLieApart)
{
    const ChartScale scale = amount_scale({kMaxWholeYen - 1, kMaxWholeYen});
    const std::vector<double> ticks = scale.ticks(0);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(scale.fraction(ticks[0]), 0.0);
    EXPECT_EQ(scale.fraction(ticks[1]), 1.0);
    EXPECT_EQ(axis_label(ticks[0], scale.unit), currency_form(Money::from_whole_yen(kMaxWholeYen - 1)));
}

TEST(ChartScale, LabelsStayInTheRangeAndThinOutToOne)
{
    for (const ChartScale& scale :
         {amount_scale({1, kMaxWholeYen}), amount_scale({7, 7}), money_scale(0.0, 272'500.0),
          money_scale(0.0001, 9e14), factor_scale(0.1, 10.0)}) {
        std::size_t count = scale.ticks(0).size();
        int sparseness = 0;
        for (; count > 1 && sparseness < 100; ++sparseness) {
            const std::vector<double> ticks = scale.ticks(sparseness);
            for (const double value : ticks) {
                EXPECT_GE(scale.fraction(value), 0.0) << value;
                EXPECT_LE(scale.fraction(value), 1.0) << value;
            }
            EXPECT_LE(ticks.size(), count);
            count = ticks.size();
        }
        EXPECT_LT(sparseness, 100) << scale.low << " " << scale.high;
    }
}
