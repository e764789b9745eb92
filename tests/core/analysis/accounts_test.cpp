#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "core/analysis/accounts.h"
#include "core/fees/commission.h"

using namespace fee;
using K = AccountsFailure::Kind;

namespace {

// The rule applied to every subset in turn, straight from its words.
std::vector<AccountSet> every_subset(const BrokerTable& t, const TradePlan& plan, int most)
{
    std::vector<AccountSet> sets;
    for (unsigned mask = 1; mask < 1u << t.broker_count(); ++mask) {
        AccountSet s;
        std::optional<Money> total = Money{};
        for (int b = 0; b <= t.last_broker(); ++b)
            if (mask >> b & 1u) {
                s.members.push_back(b);
                total = total ? total->plus(t.broker(b).yearly_fee) : total;
            }
        for (std::size_t r = 0; r < plan.size() && total; ++r) {
            std::optional<Money> low;
            for (const int b : s.members) {
                const auto c = plan[r].count ? trade_commission(t.broker(b), plan[r].amount) : std::nullopt;
                const auto part = c ? c->times(plan[r].count) : std::nullopt;
                if (part && (!low || *part < *low)) {
                    low = part;
                    s.taker[r] = b;
                }
            }
            total = plan[r].count == 0 ? total : low ? total->plus(*low) : std::nullopt;
        }
        s.size = static_cast<int>(s.members.size());
        s.total = total.value_or(Money{});
        if (total && s.size <= most)
            sets.push_back(s);
    }
    std::sort(sets.begin(), sets.end(), [](const AccountSet& a, const AccountSet& b) {
        return std::tie(a.size, a.total, a.members) < std::tie(b.size, b.total, b.members);
    });
    auto same_size = [](const AccountSet& a, const AccountSet& b) { return a.size == b.size; };
    sets.erase(std::unique(sets.begin(), sets.end(), same_size), sets.end());
    return sets;
}

// Few distinct values, so that totals tie, and now and then one near an end of the range.
Money some(std::mt19937_64& g)
{
    const std::int64_t ends[] = {INT64_MAX, INT64_MIN, INT64_MAX / 3, -INT64_MAX / 5};
    const std::int64_t v = static_cast<std::int64_t>(g() % 12) - 2;
    return Money::from_units(g() % 10 == 0 ? ends[g() % 4] : v * 30'000'000);
}

// One line each: plan row 3 trades at -1 yen, row 1 at 1 yen, the others not at all.
struct Case {
    std::vector<std::array<std::int64_t, 3>> brokers; // fee, commission at -1 yen, at 1 yen (units)
    std::array<std::int32_t, 2> counts;               // rows 3 and 1
    int k;
    std::vector<int> members;  // the best k accounts; none: the failure
    std::array<int, 2> takers; // of rows 3 and 1, -1 for none
    AccountsFailure failure;
};

} // namespace

TEST(AccountSets, EveryKIsTheBestOfEverySubset)
{
    std::mt19937_64 g(20240611);
    const std::int32_t counts[] = {0, 0, 1, 3, -2, 50, INT32_MAX, INT32_MIN};
    const float rates[] = {0.0f, 0.001f, 0.01f, -0.002f, 1e16f};
    int carried = 0;
    for (int trial = 0; trial < 1000; ++trial) {
        BrokerTable t;
        t.set_last_broker(static_cast<int>(g() % 10));
        for (int b = 0; b <= t.last_broker(); ++b) {
            for (Bracket& bracket : t.broker(b).brackets)
                bracket = {some(g), rates[g() % 5], some(g)};
            t.broker(b).yearly_fee = some(g);
            t.broker(b).minimum = g() % 2 ? some(g) : Money{};
            t.broker(b).maximum = g() % 2 ? some(g) : Money{};
        }
        TradePlan plan;
        for (PlanRow& row : plan)
            row = {some(g), counts[g() % 8]};
        const int k = 1 + static_cast<int>(g() % 12);
        const auto want = every_subset(t, plan, std::min(k, t.broker_count()));
        const auto got = cheapest_account_sets(t, plan, k);
        ASSERT_EQ(got.ok(), !want.empty()) << trial;
        carried += got.ok();
        if (got.ok())
            EXPECT_EQ(got.value(), want) << trial;
    }
    EXPECT_GT(carried, 300);
}

TEST(AccountSets, TiesOverflowsAndFailures)
{
    constexpr std::int64_t kHalf = std::int64_t{1} << 62;
    const std::vector<Case> cases{
        {{{1, 1, 1}, {0, 1, 100}, {0, 100, 1}, {-1, 100, 100}}, {1, 1}, 2, {0, 3}, {0, 0}, {}}, // {1, 2} ties
        {{{0, 5, 7}, {0, 5, 3}}, {1, 1}, 2, {0, 1}, {0, 1}, {}},    // row 3 costs both the same
        {{{0, kHalf, 1}, {5, 1, 100}}, {2, 1}, 1, {1}, {1, 1}, {}}, // 2 x 2^62 leaves the range
        {{{0, kHalf, 1}, {0, kHalf, 1}}, {2, 1}, 2, {}, {}, {K::RowOverflows, 3, 0}},
        {{{0, 1, kHalf}, {0, kHalf, 1}}, {2, 2}, 1, {}, {}, {K::TooFewAccounts, 0, 2}},
        {{{INT64_MAX, 1, 1}, {INT64_MAX, 1, 1}}, {1, 1}, 2, {}, {}, {K::TotalOverflows, 0, 0}},
    };
    for (const Case& c : cases) {
        BrokerTable t;
        t.set_last_broker(static_cast<int>(c.brokers.size()) - 1);
        for (int b = 0; b <= t.last_broker(); ++b) {
            const auto& f = c.brokers[static_cast<std::size_t>(b)];
            t.broker(b).yearly_fee = Money::from_units(f[0]);
            t.broker(b).brackets[0].add_on = Money::from_units(f[1]);
            t.broker(b).brackets[kTopBracket].add_on = Money::from_units(f[2]);
        }
        TradePlan plan{};
        plan[3] = {Money::from_units(-10'000), c.counts[0]};
        plan[1] = {Money::from_units(10'000), c.counts[1]};
        const auto got = cheapest_account_sets(t, plan, c.k);
        const auto at = &c - cases.data();
        if (!got.ok()) {
            EXPECT_EQ(got.error(), c.failure) << at;
            EXPECT_TRUE(c.members.empty()) << at;
            continue;
        }
        const AccountSet& s = got.value().back();
        EXPECT_EQ(s.members, c.members) << at;
        EXPECT_EQ(s.taker[3].value_or(-1), c.takers[0]) << at;
        EXPECT_EQ(s.taker[1].value_or(-1), c.takers[1]) << at;
    }
    EXPECT_NE(accounts_failure_message({K::RowOverflows, 3, 0}).find(" 4 "), std::string::npos);
    EXPECT_NE(accounts_failure_message({K::TooFewAccounts, 0, 3}).find(" 3 "), std::string::npos);
}
