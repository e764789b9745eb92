#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/fees/broker_table.h"
#include "core/fees/participants.h"
#include "core/fees/trade_plan.h"
#include "core/money/money.h"
#include "core/outcome.h"

namespace fee {

// Accounts at several brokers at once: each row of the plan is traded at the
// member that charges the least for it (count x commission; a tie goes to the
// earlier table row), and every member's yearly fee is paid.
struct AccountSet {
    int size = 0;
    // The members' yearly fees in table order, then each counted row at its
    // taker in plan order, summed without leaving the money range at any step.
    Money total;
    std::vector<int> members;                        // table rows, ascending
    std::array<std::optional<int>, kPlanRows> taker; // table row; none for a row of count 0

    bool operator==(const AccountSet&) const = default;
};

// Why no set of up to the asked number of accounts can carry the plan.
struct AccountsFailure {
    enum class Kind {
        RowOverflows,   // at every broker, plan row `plan_row` leaves the money range
        TooFewAccounts, // only `accounts_needed` accounts or more take every row
        TotalOverflows, // every set that takes every row has a total out of range
    };
    Kind kind = Kind::TotalOverflows;
    int plan_row = 0; // 0-based, the first such counted row
    int accounts_needed = 0;

    bool operator==(const AccountsFailure&) const = default;
};

// For every k from 1 to max_accounts (at most the brokers in use; at least 1),
// the set of exactly k brokers with the lowest total, exact for every set;
// equal totals go to the set whose ascending rows come first. A pair of plan
// row and broker whose commission or count x commission leaves the range
// cannot take that row. A k without a set that takes every counted row within
// the range is left out; the result fails only when every k is.
// Among brokers and daily plans alike, members and takers are participants' indexes.
Outcome<std::vector<AccountSet>, AccountsFailure>
cheapest_account_sets(const Participants& participants, const TradePlan& plan, int max_accounts);

// What `set` saves against the best single broker, the first of `sets` where
// one broker alone carries the plan; none where none does.
std::optional<Money> saving_over_one_account(const std::vector<AccountSet>& sets, const AccountSet& set);

// "取引の予定の 3 行目の手数料が、どの証券会社でも…", saying what to look at.
std::string accounts_failure_message(const AccountsFailure& failure);

} // namespace fee
