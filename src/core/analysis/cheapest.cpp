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
// in 1/10,000 yen, rounded. A daily plan's is always flat.
struct Line {
    const Participants* who = nullptr;
    int row = 0;
    bool flat = false;
    float rate = 0.0f;
    double slope = 0.0;
    double offset = 0.0;
    Money value; // a flat line's commission, exact, so that the sweep need not price it again
};

Line line_of(const Participants& participants, int row, const CommissionPiece& piece)
{
    Line line{&participants, row, piece.flat, 0.0f, 0.0, 0.0, Money{}};
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
            std::int64_t to = last;
            for (std::size_t i = 0; i < n; ++i) {
                if (i == w)
                    continue;
                if (beaten_[i] < a)
                    beaten_[i] = beaten_until(lines[i], lines[w], a, last, mag);
                to = std::min(to, beaten_[i]);
            }
            add(a, to, lines[w], value_[w]);
            a = to + 1;
        }
    }

private:
    // Every amount of the range was checked for overflow before.
    static Money commission(const Line& line, std::int64_t amount)
    {
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

std::string trade_overflow_message(const BrokerTable& table, const TradeOverflow& overflow)
{
    return trade_overflow_message(Participants(table), overflow);
}

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

Outcome<std::vector<CommissionPiece>, TradeOverflow> commission_pieces(const BrokerTable& table, int row,
                                                                       AmountRange range)
{
    return commission_pieces(Participants(table), row, range);
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

Outcome<std::vector<CheapestRun>, TradeOverflow> cheapest_runs(const BrokerTable& table, AmountRange range)
{
    return cheapest_runs(Participants(table), range);
}

Outcome<std::vector<CheapestRun>, TradeOverflow> cheapest_runs(const Participants& participants,
                                                               AmountRange range)
{
    std::vector<std::vector<CommissionPiece>> pieces;
    std::vector<std::int64_t> starts;
    for (int b = 0; b < participants.size(); ++b) {
        auto p = commission_pieces(participants, b, range);
        if (!p)
            return p.error();
        for (const CommissionPiece& piece : p.value())
            starts.push_back(piece.from);
        pieces.push_back(std::move(p).value());
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());

    std::vector<CheapestRun> runs;
    Sweep sweep(runs);
    std::vector<std::size_t> at(pieces.size(), 0);
    std::vector<Line> lines(pieces.size());
    for (std::size_t s = 0; s < starts.size(); ++s) {
        const std::int64_t first = starts[s];
        const std::int64_t last = s + 1 < starts.size() ? starts[s + 1] - 1 : range.to;
        for (std::size_t b = 0; b < pieces.size(); ++b) {
            // A line changes only with its piece; most stretches start at another's.
            const bool moved = s == 0 || pieces[b][at[b]].to < first;
            while (pieces[b][at[b]].to < first)
                ++at[b];
            if (moved)
                lines[b] = line_of(participants, static_cast<int>(b), pieces[b][at[b]]);
        }
        sweep.run(lines, first, last);
    }
    return runs;
}

} // namespace fee
