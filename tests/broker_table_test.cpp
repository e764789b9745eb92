#include <gtest/gtest.h>

#include <stdexcept>

#include "broker_table/broker_table.h"

using namespace fee;

TEST(BrokerTable, StartsZeroedWithOneRowInUse)
{
    BrokerTable t;
    EXPECT_EQ(t.com_last(), 0);
    EXPECT_EQ(t.broker_count(), 1);
    for (int r = 0; r < kTableRows; ++r) {
        EXPECT_EQ(t.com_name(r), "");
        EXPECT_EQ(t.com_cost(r), Money{});
        for (int j = 0; j < kBrackets; ++j)
            EXPECT_EQ(t.com_wariai(r, j), 0.0f);
    }
    EXPECT_EQ(t.sw_money, 0);
    EXPECT_EQ(t.sw_time, 0);
}

TEST(BrokerTable, EveryIndexIsChecked)
{
    BrokerTable t;
    const BrokerTable& c = t;
    EXPECT_NO_THROW(t.com_kubun(20, 6) = Money::from_units(1));
    EXPECT_THROW(t.com_name(21), std::out_of_range);
    EXPECT_THROW(c.com_name(-1), std::out_of_range);
    EXPECT_THROW(t.com_kubun(0, 7), std::out_of_range);
    EXPECT_THROW(c.com_wariai(21, 0), std::out_of_range);
    EXPECT_THROW(t.com_add(0, -1), std::out_of_range);
    EXPECT_THROW(c.com_fix(21), std::out_of_range);
    EXPECT_THROW(t.com_cost(100), std::out_of_range);
    EXPECT_THROW(t.set_com_last(21), std::out_of_range);
    EXPECT_NO_THROW(t.set_com_last(20));
    EXPECT_EQ(t.broker_count(), 21);
}
