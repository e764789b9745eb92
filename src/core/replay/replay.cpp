#include "core/replay/replay.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>
#include <thread>

#include "core/fees/commission.h"
#include "core/fees/commission_rule.h"

namespace fee {
namespace {

struct Priced {
    std::optional<ReplayCost> cost;
    ReplayOverflow overflow;
};

// The trades of each day: indexes into the history's trades, in date order.
using Days = std::vector<std::vector<std::size_t>>;

Days days_of(const History& history)
{
    std::vector<std::size_t> order(history.trades.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&history](std::size_t a, std::size_t b) {
        return history.trades[a].date < history.trades[b].date;
    });
    Days days;
    for (const std::size_t t : order) {
        if (days.empty() || history.trades[days.back().front()].date != history.trades[t].date)
            days.emplace_back();
        days.back().push_back(t);
    }
    return days;
}

Priced price_plan(const DailyPlan& plan, int row, const History& history, const Days& days, int years,
                  std::vector<std::vector<Money>>* details)
{
    Money commission;
    for (const auto& day : days) {
        Money total;
        for (const std::size_t t : day)
            if (const auto sum = total.plus(history.trades[t].amount))
                total = *sum;
            else
                return {std::nullopt, {row, static_cast<int>(t)}};
        const auto fee = day_fee(plan, total);
        const auto sum = fee ? commission.plus(*fee) : std::nullopt;
        if (!sum)
            return {std::nullopt, {row, static_cast<int>(day.front())}};
        commission = *sum;
        if (details)
            (*details)[day.front()][static_cast<std::size_t>(row)] = *fee;
    }
    const auto fees = plan.yearly_fee.times(years);
    const auto total = fees ? commission.plus(*fees) : std::nullopt;
    if (!total)
        return {std::nullopt, {row, -1}};
    return {ReplayCost{row, commission, *fees, *total}, {}};
}

Priced price_at(const Broker& broker, int row, const History& history, int years,
                std::vector<std::vector<Money>>* details)
{
    Money commission;
    for (std::size_t t = 0; t < history.trades.size(); ++t) {
        const auto one = rule::commission_of(broker, history.trades[t].amount);
        const auto sum = one ? commission.plus(*one) : std::nullopt;
        if (!sum)
            return {std::nullopt, {row, static_cast<int>(t)}};
        commission = *sum;
        if (details)
            (*details)[t][static_cast<std::size_t>(row)] = *one;
    }
    const auto fees = broker.yearly_fee.times(years);
    const auto total = fees ? commission.plus(*fees) : std::nullopt;
    if (!total)
        return {std::nullopt, {row, -1}};
    return {ReplayCost{row, commission, *fees, *total}, {}};
}

int month_of(HistoryDate date)
{
    return date / 100;
}

int next_month(int month)
{
    return month % 100 == 12 ? (month / 100 + 1) * 100 + 1 : month + 1;
}

// Month by month from the first trade's to the last's, what `cost_in` adds
// in each month, summed up; empty when a sum leaves the money range.
template <typename CostIn> std::vector<MonthlyCost> cumulative(const History& history, CostIn cost_in)
{
    std::vector<MonthlyCost> months;
    if (history.trades.empty())
        return months;
    const auto [first, last] =
        std::minmax_element(history.trades.begin(), history.trades.end(),
                            [](const HistoryTrade& a, const HistoryTrade& b) { return a.date < b.date; });
    std::vector<std::pair<int, const HistoryTrade*>> by_month;
    for (const HistoryTrade& t : history.trades)
        by_month.push_back({month_of(t.date), &t});
    std::stable_sort(by_month.begin(), by_month.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    Money so_far;
    std::set<int> years;
    auto next = by_month.begin();
    for (int m = month_of(first->date); m <= month_of(last->date); m = next_month(m)) {
        for (; next != by_month.end() && next->first == m; ++next) {
            const bool new_year = years.insert(m / 100).second;
            const auto added = cost_in(*next->second, new_year);
            const auto sum = added ? so_far.plus(*added) : std::nullopt;
            if (!sum)
                return {};
            so_far = *sum;
        }
        months.push_back({m, so_far});
    }
    return months;
}

} // namespace

int trading_years(const History& history)
{
    std::set<int> years;
    for (const HistoryTrade& t : history.trades)
        years.insert(t.date / 10000);
    return static_cast<int>(years.size());
}

Outcome<std::vector<ReplayCost>, ReplayOverflow> price_history(const Participants& participants,
                                                               const History& history,
                                                               std::vector<std::vector<Money>>* details)
{
    const int years = trading_years(history);
    const int brokers = participants.size();
    if (details)
        details->assign(history.trades.size(), std::vector<Money>(static_cast<std::size_t>(brokers)));
    const Days days = participants.size() > participants.broker_count() ? days_of(history) : Days{};
    std::vector<Priced> priced(static_cast<std::size_t>(brokers));
    // Participants are priced apart from each other: half of them on a second core.
    const auto price_rows = [&](int from, int step) {
        for (int b = from; b < brokers; b += step)
            priced[static_cast<std::size_t>(b)] =
                participants.is_plan(b) ? price_plan(participants.plan(b), b, history, days, years, details)
                                        : price_at(participants.broker(b), b, history, years, details);
    };
    if (history.trades.size() * static_cast<std::size_t>(brokers) > 100'000) {
        std::thread second(price_rows, 1, 2);
        price_rows(0, 2);
        second.join();
    } else {
        price_rows(0, 1);
    }
    std::vector<ReplayCost> costs;
    for (const Priced& p : priced) {
        if (!p.cost)
            return p.overflow;
        costs.push_back(*p.cost);
    }
    std::stable_sort(costs.begin(), costs.end(),
                     [](const ReplayCost& a, const ReplayCost& b) { return a.total < b.total; });
    return costs;
}

std::string replay_overflow_message(const Participants& participants, const History& history,
                                    const ReplayOverflow& overflow)
{
    const std::string who = participants.label(overflow.broker);
    if (overflow.trade < 0)
        return who + "の維持費を足すと、計算できる金額の範囲を超えます。維持費を確かめて下さい。";
    const HistoryTrade& t = history.trades[static_cast<std::size_t>(overflow.trade)];
    return who + "の手数料の合計が、" + std::to_string(t.line) +
           " 行目の取引で計算できる金額の範囲を超えます。この証券会社の手数料の表を確かめて下さい。";
}

std::vector<MonthlyCost> monthly_costs(const Broker& broker, const History& history)
{
    return cumulative(history, [&broker](const HistoryTrade& t, bool new_year) -> std::optional<Money> {
        const auto one = trade_commission(broker, t.amount);
        return one && new_year ? one->plus(broker.yearly_fee) : one;
    });
}

std::vector<MonthlyCost> monthly_costs(const Participants& participants, int i, const History& history)
{
    if (!participants.is_plan(i))
        return monthly_costs(participants.broker(i), history);
    // A day is priced once: at its first trade, with all of that day's amounts.
    const DailyPlan& plan = participants.plan(i);
    std::map<HistoryDate, Money> day_totals;
    for (const HistoryTrade& t : history.trades) {
        const auto sum = day_totals[t.date].plus(t.amount);
        if (!sum)
            return {};
        day_totals[t.date] = *sum;
    }
    std::set<HistoryDate> priced;
    return cumulative(history, [&](const HistoryTrade& t, bool new_year) -> std::optional<Money> {
        if (!priced.insert(t.date).second)
            return Money{};
        const auto fee = day_fee(plan, day_totals[t.date]);
        return fee && new_year ? fee->plus(plan.yearly_fee) : fee;
    });
}

std::vector<MonthlyCost> monthly_paid(const History& history)
{
    return cumulative(
        history, [](const HistoryTrade& t, bool) -> std::optional<Money> { return t.fee.value_or(Money{}); });
}

} // namespace fee
