#include <gtest/gtest.h>

#include <stdexcept>

#include "core/fees/broker_table.h"

using namespace fee;

TEST(BrokerTable, StartsZeroedWithOneRowInUse)
{
    BrokerTable t;
    EXPECT_EQ(t.last_broker(), 0);
    EXPECT_EQ(t.broker_count(), 1);
    for (int r = 0; r < kMaxBrokers; ++r) {
        EXPECT_EQ(t.broker(r).name, "");
        EXPECT_EQ(t.broker(r).yearly_fee, Money{});
        for (int j = 0; j < kBrackets; ++j)
            EXPECT_EQ(t.broker(r).brackets.at(j).rate, 0.0f);
    }
}

TEST(BrokerTable, EveryIndexIsChecked)
{
    BrokerTable t;
    const BrokerTable& c = t;
    EXPECT_NO_THROW(t.broker(20).brackets.at(5).upper_bound = Money::from_units(1));
    EXPECT_THROW(t.broker(21).name, std::out_of_range);
    EXPECT_THROW(c.broker(-1).name, std::out_of_range);
    EXPECT_THROW(t.broker(0).brackets.at(6).upper_bound, std::out_of_range);
    EXPECT_THROW(c.broker(21).brackets.at(0).rate, std::out_of_range);
    EXPECT_THROW(t.broker(0).brackets.at(-1).add_on, std::out_of_range);
    EXPECT_THROW(c.broker(21).yearly_fee, std::out_of_range);
    EXPECT_THROW(t.broker(100).minimum, std::out_of_range);
    EXPECT_THROW(t.set_last_broker(21), std::out_of_range);
    EXPECT_THROW(t.set_last_broker(-1), std::out_of_range);
    EXPECT_NO_THROW(t.set_last_broker(20));
    EXPECT_EQ(t.broker_count(), 21);
}
