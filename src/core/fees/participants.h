#pragma once

#include <QString>
#include <optional>
#include <string>

#include "core/fees/broker_table.h"
#include "core/fees/daily_plan.h"

namespace fee {

// The contenders of every comparison: the brokers of the table in table
// order, then the daily flat plans in the file's order. A plan takes part
// like a broker that trades once a day: its commission for a trade is the fee
// of a day with that trade alone. Holds references: the table and the plans
// outlive it. A table alone converts: its brokers without plans.
class Participants {
public:
    Participants(const BrokerTable& table, const DailyPlans& plans = no_plans()) // NOLINT(*-explicit-*)
        : table_(&table), plans_(&plans)
    {
    }

    int size() const { return table_->broker_count() + static_cast<int>(plans_->size()); }
    int broker_count() const { return table_->broker_count(); }
    bool is_plan(int i) const { return i >= broker_count(); }
    const Broker& broker(int i) const { return table_->broker(i); }
    const DailyPlan& plan(int i) const { return plans_->at(static_cast<std::size_t>(i - broker_count())); }
    const BrokerTable& table() const { return *table_; }

    // One trade of `amount`: the broker's commission, or the plan's day fee.
    std::optional<Money> commission(int i, Money amount) const;
    Money yearly_fee(int i) const;
    // The name as the user sees it.
    QString name(int i) const;
    // How the outputs number it: the table row ("2"), or "D0", "D1", … for a plan.
    QString id(int i) const;
    // How messages name it: 「3 社目「みなと証券」」 or 「1日定額「…」」.
    std::string label(int i) const;

private:
    static const DailyPlans& no_plans();

    const BrokerTable* table_;
    const DailyPlans* plans_;
};

} // namespace fee
