#include "core/analysis/accounts.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdint>

#include "core/fees/commission.h"
#include "core/fees/participants.h"

namespace fee {
namespace {

constexpr std::size_t kRows = kPlanRows;
using Units = std::int64_t;
using RowMask = std::uint32_t;    // bit r: plan row r
using BrokerMask = std::uint64_t; // bit b: participant b (brokers, then daily plans)

// A broker that cannot take a row stands there as the highest amount there is.
// A set is only totalled once each counted row has a real taker, whose amount
// is at most this, so the row's lowest amount is still the taker's.
constexpr Units kCannotTake = INT64_MAX;

// One broker as the search sees it: its fee and count x commission per plan row.
struct Offer {
    Units fee = 0;
    std::array<Units, kRows> part{}; // 0 for a row of count 0: adds nothing, never overflows
    RowMask can = 0;                 // the counted rows it can take
};

struct Prepared {
    std::vector<Offer> offers;
    RowMask counted = 0;
};

Prepared prepare(const Participants& participants, const TradePlan& plan)
{
    Prepared p;
    for (std::size_t r = 0; r < kRows; ++r)
        if (plan[r].count != 0)
            p.counted |= 1u << r;
    for (int b = 0; b < participants.size(); ++b) {
        Offer offer;
        offer.fee = participants.yearly_fee(b).units();
        for (std::size_t r = 0; r < kRows; ++r) {
            if (plan[r].count == 0)
                continue;
            const auto c = participants.commission(b, plan[r].amount);
            const auto part = c ? c->times(plan[r].count) : std::nullopt;
            offer.part[r] = part ? part->units() : kCannotTake;
            if (part)
                offer.can |= 1u << r;
        }
        p.offers.push_back(offer);
    }
    return p;
}

// A set on the way down: its members, the sum of their fees so far and each
// row's lowest amount so far.
struct Partial {
    BrokerMask members = 0;
    RowMask can = 0;
    Units fees = 0;
    std::array<Units, kRows> low{};
};

struct Best {
    bool found = false;
    Units total = 0;
    BrokerMask members = 0;
};

// What the brokers from one row on can still bring to a set: the rows they can
// take, their lowest amount on each, and their j lowest fees together. Sums are
// wide so that a bound never overflows.
using Wide = __int128;
struct Outlook {
    RowMask can = 0;
    std::array<Units, kRows> low{};
    std::vector<Wide> fees; // [j], j = 0..their number
};

// outlooks[s] for the brokers from row s on, s = 0..n.
std::vector<Outlook> outlooks(const Prepared& p)
{
    const std::size_t n = p.offers.size();
    std::vector<Outlook> out(n + 1);
    out[n].low.fill(kCannotTake);
    out[n].fees = {0};
    std::vector<Units> fees;
    for (std::size_t s = n; s-- > 0;) {
        const Offer& offer = p.offers[s];
        out[s].can = out[s + 1].can | offer.can;
        for (std::size_t r = 0; r < kRows; ++r)
            out[s].low[r] = std::min(out[s + 1].low[r], offer.part[r]);
        fees.insert(std::upper_bound(fees.begin(), fees.end(), offer.fee), offer.fee);
        out[s].fees = {0};
        for (const Units fee : fees)
            out[s].fees.push_back(out[s].fees.back() + fee);
    }
    return out;
}

// Every set of up to max_size brokers, each in a handful of operations. Brokers
// join in ascending row order, so the sets of one size arrive in lexicographic
// order of their rows, and keeping only a strictly lower total leaves a tie to
// the set that comes first. For the same reason every set grown from the
// current one comes after each best so far, so a bound that reaches the best
// of every size below skips them all.
class Search {
public:
    Search(const Prepared& p, std::size_t max_size)
        : offers_(p.offers), counted_(p.counted), max_size_(max_size), outlook_(outlooks(p)),
          best_(max_size + 1)
    {
    }

    const std::vector<Best>& run()
    {
        Partial none;
        for (std::size_t r = 0; r < kRows; ++r)
            none.low[r] = (counted_ >> r & 1u) ? kCannotTake : 0;
        extend(none, 0, 0);
        return best_;
    }

private:
    void extend(const Partial& set, std::size_t size, std::size_t next)
    {
        for (std::size_t b = next; b < offers_.size(); ++b) {
            const Offer& offer = offers_[b];
            Partial grown;
            // Every set grown from this one starts its fee sum the same way.
            if (__builtin_add_overflow(set.fees, offer.fee, &grown.fees))
                continue;
            grown.members = set.members | (BrokerMask{1} << b);
            grown.can = set.can | offer.can;
            for (std::size_t r = 0; r < kRows; ++r)
                grown.low[r] = std::min(set.low[r], offer.part[r]);
            consider(grown, size + 1);
            if (size + 1 < max_size_ && b + 1 < offers_.size() && !hopeless(grown, size + 1, b + 1))
                extend(grown, size + 1, b + 1);
        }
    }

    void consider(const Partial& set, std::size_t size)
    {
        if ((set.can & counted_) != counted_)
            return;
        Units total = set.fees;
        bool over = false;
        for (std::size_t r = 0; r < kRows; ++r)
            over |= __builtin_add_overflow(total, set.low[r], &total);
        Best& best = best_[size];
        if (!over && (!best.found || total < best.total))
            best = {true, total, set.members};
    }

    // Whether no set grown from `set` by brokers from row `next` on can beat
    // the best of its size. A set grown by j of them pays at least their j
    // lowest fees, and on each row at least the lower of the two lowest amounts.
    bool hopeless(const Partial& set, std::size_t size, std::size_t next) const
    {
        const Outlook& later = outlook_[next];
        if (((set.can | later.can) & counted_) != counted_)
            return true;
        const std::size_t most = std::min(max_size_ - size, offers_.size() - next);
        if (most < kWorthABound)
            return false;
        Wide floor = set.fees;
        for (std::size_t r = 0; r < kRows; ++r)
            floor += std::min(set.low[r], later.low[r]);
        for (std::size_t j = 1; j <= most; ++j)
            if (!best_[size + j].found || floor + later.fees[j] < best_[size + j].total)
                return false;
        return true;
    }

    // Below this many brokers left, trying the sets costs less than bounding them.
    static constexpr std::size_t kWorthABound = 3;

    const std::vector<Offer>& offers_;
    RowMask counted_;
    std::size_t max_size_;
    std::vector<Outlook> outlook_;
    std::vector<Best> best_;
};

AccountSet describe(const Prepared& p, const Best& best, int size)
{
    AccountSet set;
    set.size = size;
    set.total = Money::from_units(best.total);
    for (std::size_t b = 0; b < p.offers.size(); ++b)
        if (best.members >> b & 1u)
            set.members.push_back(static_cast<int>(b));
    for (std::size_t r = 0; r < kRows; ++r) {
        for (const int m : set.members) {
            const Offer& offer = p.offers[static_cast<std::size_t>(m)];
            if (!(offer.can >> r & 1u))
                continue;
            auto& taker = set.taker[r];
            if (!taker || offer.part[r] < p.offers[static_cast<std::size_t>(*taker)].part[r])
                taker = m;
        }
    }
    return set;
}

std::optional<int> row_nobody_takes(const Prepared& p)
{
    RowMask taken = 0;
    for (const Offer& offer : p.offers)
        taken |= offer.can;
    for (std::size_t r = 0; r < kRows; ++r)
        if ((p.counted >> r & 1u) && !(taken >> r & 1u))
            return static_cast<int>(r);
    return std::nullopt;
}

// Every row has a taker here. The fewest accounts that take them all, over sets
// of rows: a set only grows, so one pass in ascending order settles each.
AccountsFailure why_no_set(const Prepared& p, int max_size)
{
    std::array<int, std::size_t{1} << kRows> fewest;
    fewest.fill(INT_MAX);
    fewest[0] = 0;
    for (std::size_t rows = 0; rows < fewest.size(); ++rows) {
        if (fewest[rows] == INT_MAX)
            continue;
        for (const Offer& offer : p.offers) {
            int& more = fewest[rows | offer.can];
            more = std::min(more, fewest[rows] + 1);
        }
    }
    const int needed = fewest[p.counted];
    if (needed > max_size)
        return {AccountsFailure::Kind::TooFewAccounts, 0, needed};
    return {AccountsFailure::Kind::TotalOverflows, 0, 0};
}

} // namespace

Outcome<std::vector<AccountSet>, AccountsFailure>
cheapest_account_sets(const Participants& participants, const TradePlan& plan, int max_accounts)
{
    assert(max_accounts >= 1);
    const int max_size = std::min(max_accounts, participants.size());
    const Prepared p = prepare(participants, plan);
    if (const auto row = row_nobody_takes(p))
        return AccountsFailure{AccountsFailure::Kind::RowOverflows, *row, 0};
    const std::vector<Best> best = Search(p, static_cast<std::size_t>(max_size)).run();
    std::vector<AccountSet> sets;
    for (int k = 1; k <= max_size; ++k)
        if (best[static_cast<std::size_t>(k)].found)
            sets.push_back(describe(p, best[static_cast<std::size_t>(k)], k));
    if (sets.empty())
        return why_no_set(p, max_size);
    return sets;
}

std::optional<Money> saving_over_one_account(const std::vector<AccountSet>& sets, const AccountSet& set)
{
    if (sets.empty() || sets.front().size != 1)
        return std::nullopt;
    return sets.front().total.minus(set.total);
}

std::string accounts_failure_message(const AccountsFailure& failure)
{
    using Kind = AccountsFailure::Kind;
    if (failure.kind == Kind::RowOverflows)
        return "取引の予定の " + std::to_string(failure.plan_row + 1) +
               " 行目の手数料が、どの証券会社でも大きすぎて計算できません（金額の桁あふれ）。"
               "この行の約定代金か回数、または証券会社の手数料率・付加・下限を見直して下さい。";
    if (failure.kind == Kind::TooFewAccounts)
        return "取引の予定のすべての行の手数料を計算するには、口座が " +
               std::to_string(failure.accounts_needed) +
               " 社以上要ります。口座の数を増やすか、取引の予定の約定代金か回数を見直して下さい。";
    return "どの口座の組み合わせでも、維持費と手数料の合計が大きすぎて計算できません（金額の桁あふれ）。"
           "証券会社の維持費か、取引の予定の約定代金か回数を見直して下さい。";
}

} // namespace fee
