#include "core/analysis/cheapest.h"

#include <QString>
#include <algorithm>
#include <cassert>
#include <cmath>
#include <optional>

#include "core/fees/commission.h"
#include "core/fees/participants.h"
#include "core/money/number_text.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"

namespace fee {

namespace {

std::int64_t floor_div(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The first amount of (lo, hi] where `changed` holds, when it holds at hi, not
// at lo, and never stops holding once it does.
template <typename Predicate> std::int64_t first_where(std::int64_t lo, std::int64_t hi, Predicate changed)
{
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (changed(mid))
            hi = mid;
        else
            lo = mid;
    }
    return hi;
}

// Where the bracket may change: one yen above each bound, as amount > bound
// decides. Where it does not (bounds out of order or equal), the caller joins
// the pieces again.
std::vector<std::int64_t> bracket_starts(const Broker& broker, AmountRange range)
{
    std::vector<std::int64_t> starts{range.from};
    for (int k = 0; k < kBoundedBrackets; ++k) {
        const Money bound = broker.brackets[static_cast<std::size_t>(k)].upper_bound;
        const std::int64_t next = floor_div(bound.units(), Money::kScale) + 1;
        if (next > range.from && next <= range.to)
            starts.push_back(next);
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    return starts;
}

// One piece per bracket, in order, unsplit by the limits.
std::vector<CommissionPiece> bracket_pieces(const Broker& broker, AmountRange range)
{
    const std::vector<std::int64_t> starts = bracket_starts(broker, range);
    std::vector<CommissionPiece> brackets;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::int64_t to = i + 1 < starts.size() ? starts[i + 1] - 1 : range.to;
        const int bracket = bracket_index(broker, Money::from_whole_yen(starts[i]));
        if (!brackets.empty() && brackets.back().bracket == bracket)
            brackets.back().to = to;
        else
            brackets.push_back({starts[i], to, bracket, false});
    }
    return brackets;
}

// Within one bracket the product, its rounding and the add-on are monotone in
// the amount, so the amounts that overflow are a prefix and a suffix of the
// piece: checking both ends finds them, and a search finds where the suffix starts.
std::optional<std::int64_t> first_overflow(const Broker& broker, std::int64_t lo, std::int64_t hi)
{
    auto fails = [&broker](std::int64_t a) {
        return !trade_commission(broker, Money::from_whole_yen(a)).has_value();
    };
    if (fails(lo))
        return lo;
    if (!fails(hi))
        return std::nullopt;
    return first_where(lo, hi, fails);
}

enum class Clamp { Minimum, None, Maximum };

// Which limit decides, from the commission before the limits: monotone in it,
// and so monotone in the amount within a bracket.
Clamp clamp_at(const Broker& broker, const Broker& unlimited, std::int64_t amount)
{
    const Money before = *trade_commission(unlimited, Money::from_whole_yen(amount));
    if (before < broker.minimum)
        return Clamp::Minimum;
    if (broker.maximum != Money{} && before > broker.maximum)
        return Clamp::Maximum;
    return Clamp::None;
}

void split_by_clamp(const Broker& broker, const Broker& unlimited, CommissionPiece piece,
                    std::vector<CommissionPiece>& out)
{
    const float rate = broker.brackets[static_cast<std::size_t>(piece.bracket)].rate;
    const std::int64_t end = piece.to;
    while (piece.from <= end) {
        const Clamp clamp = clamp_at(broker, unlimited, piece.from);
        auto differs = [&](std::int64_t a) { return clamp_at(broker, unlimited, a) != clamp; };
        piece.to = differs(end) ? first_where(piece.from, end, differs) - 1 : end;
        piece.flat = clamp != Clamp::None || rate == 0.0f;
        out.push_back(piece);
        piece.from = piece.to + 1;
    }
}

// A daily plan's fee for whole-yen amounts: flat up to each tier's bound and
// within each step above the last; flat for good once the cap holds. More
// pieces than this in one range is a plan whose steps are too fine to rank
// amount by amount.
constexpr std::size_t kMostPlanPieces = 1'000'000;

Outcome<std::vector<CommissionPiece>, TradeOverflow> plan_pieces(const Participants& participants, int i,
                                                                 AmountRange range)
{
    const DailyPlan& plan = participants.plan(i);
    std::vector<CommissionPiece> pieces;
    std::optional<Money> last_fee;
    // [from, to] within the range at `fee`, joined to the piece before at the
    // same fee; false where the fee leaves the money range.
    const auto add_priced = [&](std::int64_t from, std::int64_t to, const std::optional<Money>& fee) {
        from = std::max(from, range.from);
        to = std::min(to, range.to);
        if (from > to)
            return true;
        if (!fee)
            return false;
        if (!pieces.empty() && pieces.back().to + 1 == from && fee == last_fee)
            pieces.back().to = to;
        else
            pieces.push_back({from, to, 0, true});
        last_fee = fee;
        return true;
    };
    const auto add = [&](std::int64_t from, std::int64_t to) {
        return add_priced(from, to, day_fee(plan, Money::from_whole_yen(std::max(from, range.from))));
    };
    std::int64_t lo = -kMaxWholeYen;
    for (const DailyTier& tier : plan.tiers) {
        if (!add(lo, tier.up_to))
            return TradeOverflow{i, std::max(lo, range.from)};
        lo = tier.up_to + 1;
    }
    if (!plan.above) {
        if (!add(lo, range.to))
            return TradeOverflow{i, std::max(lo, range.from)};
        return pieces;
    }
    // Steps start one yen above the last tier and every `per` yen after.
    const std::int64_t per = plan.above->per;
    for (std::int64_t from = range.from > lo ? lo + (range.from - lo) / per * per : lo; from <= range.to;
         from += per) {
        const std::int64_t to = from > kMaxWholeYen - per ? kMaxWholeYen : from + per - 1;
        const auto fee = day_fee(plan, Money::from_whole_yen(std::max(from, range.from)));
        const bool capped = fee && plan.maximum != Money{} && *fee == plan.maximum; // flat from here on
        if (!add_priced(from, capped ? range.to : to, fee))
            return TradeOverflow{i, std::max(from, range.from)};
        if (pieces.size() > kMostPlanPieces)
            return TradeOverflow{i, from, true};
        if (capped || to == kMaxWholeYen)
            break;
    }
    return pieces;
}

// One broker within a stretch of amounts where its piece does not change: its
// commission is `offset` (flat) or the bracket's line, amount x slope + offset
// in 1/10,000 yen, rounded. A daily plan is a staircase of its own: its fee
// never falls within the stretch, and the sweep asks the plan for it.
struct Line {
    const Participants* who = nullptr;
    int row = 0;
    bool flat = false;
    float rate = 0.0f;
    double slope = 0.0;
    double offset = 0.0;
    Money value; // a flat line's commission, exact, so that the sweep need not price it again
    const DailyPlan* plan = nullptr; // a staircase's
};

Line line_of(const Participants& participants, int row, const CommissionPiece& piece)
{
    Line line{&participants, row, piece.flat, 0.0f, 0.0, 0.0, Money{}, nullptr};
    if (piece.flat) {
        line.value = *participants.commission(row, Money::from_whole_yen(piece.from));
        line.offset = static_cast<double>(line.value.units());
        return line;
    }
    const Broker& broker = participants.broker(row);
    const Bracket& bracket = broker.brackets[static_cast<std::size_t>(piece.bracket)];
    line.rate = bracket.rate;
    line.slope = static_cast<double>(bracket.rate) * static_cast<double>(Money::kScale);
    line.offset = static_cast<double>(bracket.add_on.units());
    return line;
}

Line staircase(const Participants& participants, int row)
{
    return {&participants, row, true, 0.0f, 0.0, 0.0, Money{}, &participants.plan(row)};
}

// The last amount from `a` on at which `plan` still charges `fee`, the fee of a
// day of `a`, or an amount before the next step.
std::int64_t step_end(const DailyPlan& plan, std::int64_t a, Money fee)
{
    for (const DailyTier& tier : plan.tiers)
        if (a <= tier.up_to)
            return tier.up_to;
    // Above the last tier the fee never falls: once capped, it stays so.
    if (!plan.above || (plan.maximum != Money{} && fee == plan.maximum))
        return kMaxWholeYen;
    const std::int64_t base = plan.tiers.back().up_to;
    const std::int64_t per = plan.above->per;
    const std::int64_t steps = (a - base - 1) / per + 1; // begun, a > base
    return steps > (kMaxWholeYen - base) / per ? kMaxWholeYen : base + steps * per;
}

// Where a plan's stretches begin within the range: at its start, and after a
// tier whose fee the next undercuts. Between two of them the fee never falls,
// so a plan beaten at some amount stays beaten as long as its rival's line
// holds, and its steps need not end every other broker's stretch (a capped
// plan has a hundred of them in ¥100,000,000).
std::vector<std::int64_t> plan_starts(const DailyPlan& plan, AmountRange range)
{
    std::vector<std::int64_t> starts{range.from};
    for (const DailyTier& tier : plan.tiers) {
        const std::int64_t next = tier.up_to + 1;
        if (next <= range.from || next > range.to)
            continue;
        if (*day_fee(plan, Money::from_whole_yen(next)) < *day_fee(plan, Money::from_whole_yen(tier.up_to)))
            starts.push_back(next);
    }
    return starts;
}

// Whether commission_pieces() could refuse the plan over the range: an
// overflow (the fee is largest at the range's end) or more steps than it
// lists. Only then are its pieces listed, for the refusal's words.
bool plan_may_be_refused(const DailyPlan& plan, AmountRange range)
{
    if (!day_fee(plan, Money::from_whole_yen(range.to)))
        return true;
    if (!plan.above)
        return false;
    const std::int64_t beyond = range.to - plan.tiers.back().up_to;
    return beyond > 0 &&
           beyond / plan.above->per >= static_cast<std::int64_t>(kMostPlanPieces - plan.tiers.size());
}

// Given that `w` beats `j` at amount `a` (lower commission, or equal and a lower
// row), the last amount up to `last` until which it surely still does.
//
// Why this is exact: a linear commission is rint(q) + add-on with
// q = fl(fl(x * rate) * 10^4), two roundings of 2^-53 each, so it lies within
// 1/2 + 2^-51.9 * |x| * |slope| of its line; a flat one is its offset exactly.
// `gap + (x - a) * d` below takes six more roundings of terms no larger than
// mag * (|slope_j| + |slope_w|) + |offset_j| + |offset_w|, and the slopes
// themselves are rounded: all together under 2^-47 of that sum, far inside
// `tol`, which is 2^-40 of it. So where that expression exceeds halves - 1 + tol
// (j later in the table) or halves + tol (j earlier), the commissions, whole
// numbers of 1/10,000 yen, differ by more than -1 resp. 0, and w still wins.
// Near a crossing the line difference stays within 1 + tol over
// 2 * (1 + tol) / |d| yen: two yen for rates 0.0001 apart, but hundreds of
// thousands of yen for rates one float step apart, where the rounding really
// does hand the win back and forth. Those amounts are tried one by one, so no
// fixed window around the crossing is assumed.
std::int64_t beaten_until(const Line& j, const Line& w, std::int64_t a, std::int64_t last, double mag)
{
    // Both flat, or one rate on both lines: the difference is the same whole
    // number of units all along, and it favoured w at a.
    if (j.flat == w.flat && (j.flat || j.rate == w.rate))
        return last;
    const double x0 = static_cast<double>(a);
    const double gap = (x0 * j.slope + j.offset) - (x0 * w.slope + w.offset);
    const double d = j.slope - w.slope;
    const double tol = 0x1p-40 * (mag * (std::abs(j.slope) + std::abs(w.slope)) + std::abs(j.offset) +
                                  std::abs(w.offset) + 1.0);
    const double need = 0.5 * ((j.flat ? 0 : 1) + (w.flat ? 0 : 1)) - (j.row > w.row ? 1.0 : 0.0) + tol;
    auto holds = [&](std::int64_t x) { return gap + static_cast<double>(x - a) * d > need; };
    if (d >= 0.0)
        return holds(a) ? last : a;
    // The line difference falls: solve for where it meets `need`, then make
    // sure, since the solution is itself rounded.
    const double reach = (gap - need) / -d;
    std::int64_t x = last;
    if (reach < static_cast<double>(last - a))
        x = a + std::max<std::int64_t>(0, static_cast<std::int64_t>(std::max(reach, 0.0)) - 1);
    while (x > a && !holds(x))
        x = a + (x - a) / 2;
    return x;
}

// The cheapest broker for each amount of one stretch where no piece changes.
// A broker proven beaten up to some amount is not looked at again before it.
class Sweep {
public:
    explicit Sweep(std::vector<CheapestRun>& runs) : runs_(runs) {}

    void run(const std::vector<Line>& lines, std::int64_t first, std::int64_t last)
    {
        const std::size_t n = lines.size();
        const double mag =
            std::max(std::abs(static_cast<double>(first)), std::abs(static_cast<double>(last)));
        beaten_.assign(n, first - 1);
        value_.resize(n);
        for (std::int64_t a = first; a <= last;) {
            std::size_t w = n;
            for (std::size_t i = 0; i < n; ++i) {
                if (beaten_[i] >= a)
                    continue;
                value_[i] = commission(lines[i], a);
                if (w == n || value_[i] < value_[w]) // rows ascend: a tie keeps the earlier row
                    w = i;
            }
            // A staircase is flat up to its next step: it wins at most until there.
            const std::int64_t holds =
                lines[w].plan ? std::min(last, step_end(*lines[w].plan, a, value_[w])) : last;
            Line flat_winner;
            const Line& winner = as_of(lines[w], value_[w], flat_winner);
            std::int64_t to = holds;
            for (std::size_t i = 0; i < n; ++i) {
                if (i == w)
                    continue;
                // A staircase taken as flat at its fee here: its later steps only cost more.
                Line flat;
                if (beaten_[i] < a)
                    beaten_[i] = beaten_until(as_of(lines[i], value_[i], flat), winner, a, holds, mag);
                to = std::min(to, beaten_[i]);
            }
            add(a, to, lines[w], value_[w]);
            a = to + 1;
        }
    }

private:
    // The line itself, or a staircase as flat at `value` (filled in `flat`).
    static const Line& as_of(const Line& line, Money value, Line& flat)
    {
        if (!line.plan)
            return line;
        flat = line;
        flat.value = value;
        flat.offset = static_cast<double>(value.units());
        flat.plan = nullptr;
        return flat;
    }

    // Every amount of the range was checked for overflow before.
    static Money commission(const Line& line, std::int64_t amount)
    {
        if (line.plan)
            return *day_fee(*line.plan, Money::from_whole_yen(amount));
        return line.flat ? line.value : *line.who->commission(line.row, Money::from_whole_yen(amount));
    }

    void add(std::int64_t from, std::int64_t to, const Line& line, Money at_from)
    {
        const Money at_to = to == from ? at_from : commission(line, to);
        if (!runs_.empty() && runs_.back().row == line.row && runs_.back().to + 1 == from) {
            runs_.back().to = to;
            runs_.back().commission_to = at_to;
        } else {
            runs_.push_back({from, to, line.row, at_from, at_to});
        }
    }

    std::vector<CheapestRun>& runs_;
    std::vector<std::int64_t> beaten_;
    std::vector<Money> value_;
};

} // namespace

std::string trade_overflow_message(const Participants& participants, const TradeOverflow& overflow)
{
    if (participants.is_plan(overflow.broker)) {
        const std::string plan = participants.label(overflow.broker);
        if (overflow.too_fine)
            return plan +
                   "は刻みが細かすぎて、この金額の範囲では比べられません。金額の範囲を狭くして下さい。";
        return plan + "は " + currency_form(Money::from_whole_yen(overflow.amount)).toStdString() +
               " の 1 日の手数料が大きすぎて計算できません（金額の桁あふれ）。金額の範囲を狭くして下さい。";
    }
    const QString name = quoted_text(participants.name(overflow.broker));
    return QStringLiteral("%1 番目の証券会社「%2」は %3 の取引の手数料が大きすぎて計算できません"
                          "（金額の桁あふれ）。金額の範囲を狭くして下さい。")
        .arg(overflow.broker + 1)
        .arg(name, currency_form(Money::from_whole_yen(overflow.amount)))
        .toStdString();
}

Outcome<std::vector<CommissionPiece>, TradeOverflow> commission_pieces(const Participants& participants,
                                                                       int row, AmountRange range)
{
    assert(-kMaxWholeYen <= range.from && range.from <= range.to && range.to <= kMaxWholeYen);
    if (participants.is_plan(row))
        return plan_pieces(participants, row, range);
    const Broker& broker = participants.broker(row);
    const std::vector<CommissionPiece> brackets = bracket_pieces(broker, range);
    for (const CommissionPiece& piece : brackets)
        if (const auto at = first_overflow(broker, piece.from, piece.to))
            return TradeOverflow{row, *at};

    Broker unlimited;
    unlimited.brackets = broker.brackets;
    unlimited.minimum = Money::min();
    std::vector<CommissionPiece> pieces;
    for (const CommissionPiece& piece : brackets)
        split_by_clamp(broker, unlimited, piece, pieces);
    return pieces;
}

std::vector<AmountRange> overflow_stretches(const BrokerTable& table, int row, AmountRange range)
{
    assert(0 <= range.from && range.from <= range.to && range.to <= kMaxWholeYen);
    const Broker& broker = table.broker(row);
    std::vector<AmountRange> stretches;
    // From 0 up, the product only grows within a bracket: what overflows there
    // is its end.
    for (const CommissionPiece& piece : bracket_pieces(broker, range)) {
        const auto at = first_overflow(broker, piece.from, piece.to);
        if (!at)
            continue;
        if (!stretches.empty() && stretches.back().to + 1 == *at)
            stretches.back().to = piece.to;
        else
            stretches.push_back({*at, piece.to});
    }
    return stretches;
}

std::vector<AmountRange> overflow_stretches(const Participants& participants, int row, AmountRange range)
{
    if (!participants.is_plan(row))
        return overflow_stretches(participants.table(), row, range);
    // A plan's fee only grows with the amount: what overflows is a suffix.
    const auto fails = [&](std::int64_t a) {
        return !participants.commission(row, Money::from_whole_yen(a));
    };
    if (!fails(range.to))
        return {};
    if (fails(range.from))
        return {range};
    return {{first_where(range.from, range.to, fails), range.to}};
}

Outcome<std::vector<CheapestRun>, TradeOverflow> cheapest_runs(const Participants& participants,
                                                               AmountRange range)
{
    // Each participant's stretches: a broker's pieces; a plan's spans (see plan_starts).
    const std::size_t n = static_cast<std::size_t>(participants.size());
    std::vector<std::vector<CommissionPiece>> pieces(n);
    std::vector<std::int64_t> starts;
    for (std::size_t b = 0; b < n; ++b) {
        const int row = static_cast<int>(b);
        if (participants.is_plan(row)) {
            const DailyPlan& plan = participants.plan(row);
            if (plan_may_be_refused(plan, range))
                if (auto p = commission_pieces(participants, row, range); !p)
                    return p.error();
            for (const std::int64_t from : plan_starts(plan, range))
                pieces[b].push_back({from, 0, 0, true});
            for (std::size_t k = 0; k < pieces[b].size(); ++k)
                pieces[b][k].to = k + 1 < pieces[b].size() ? pieces[b][k + 1].from - 1 : range.to;
        } else {
            auto p = commission_pieces(participants, row, range);
            if (!p)
                return p.error();
            pieces[b] = std::move(p).value();
        }
        for (const CommissionPiece& piece : pieces[b])
            starts.push_back(piece.from);
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());

    std::vector<CheapestRun> runs;
    Sweep sweep(runs);
    std::vector<std::size_t> at(n, 0);
    std::vector<Line> lines(n);
    for (std::size_t s = 0; s < starts.size(); ++s) {
        const std::int64_t first = starts[s];
        const std::int64_t last = s + 1 < starts.size() ? starts[s + 1] - 1 : range.to;
        for (std::size_t b = 0; b < n; ++b) {
            // A line changes only with its piece; most stretches start at another's.
            const bool moved = s == 0 || pieces[b][at[b]].to < first;
            while (pieces[b][at[b]].to < first)
                ++at[b];
            if (moved)
                lines[b] = participants.is_plan(static_cast<int>(b))
                               ? staircase(participants, static_cast<int>(b))
                               : line_of(participants, static_cast<int>(b), pieces[b][at[b]]);
        }
        sweep.run(lines, first, last);
    }
    return runs;
}

} // namespace fee
