#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/fees/broker_table.h"
#include "core/fees/participants.h"
#include "core/outcome.h"

namespace fee {

// Whole-yen trade amounts, both ends included; -kMaxWholeYen <= from <= to <= kMaxWholeYen.
struct AmountRange {
    std::int64_t from = 1;
    std::int64_t to = 100'000'000;

    bool operator==(const AmountRange&) const = default;
};

// Amounts from..to at which broker `row` charges the least for one trade, with
// its exact commission at both ends.
struct CheapestRun {
    std::int64_t from = 0;
    std::int64_t to = 0;
    int row = 0;
    Money commission_from;
    Money commission_to;

    bool operator==(const CheapestRun&) const = default;
};

// A trade of `amount` yen whose commission at broker `broker` leaves the money range.
struct TradeOverflow {
    int broker = 0;          // a participant where participants are compared
    std::int64_t amount = 0; // the smallest such amount of the range
    bool too_fine = false;   // a daily plan with more steps in the range than can be ranked
};

// "「名前」の ¥1,000 の取引の手数料が大きすぎて…", naming the broker as the user sees it.
std::string trade_overflow_message(const Participants& participants, const TradeOverflow& overflow);

// A stretch of amounts over which one broker's commission follows one rule: a
// single bracket, and either one amount throughout (raised to the minimum, cut
// to the maximum, or a rate of 0) or the bracket's rate and add-on unclamped.
struct CommissionPiece {
    std::int64_t from = 0;
    std::int64_t to = 0;
    int bracket = 0;
    bool flat = false;
};

// The pieces of participant `row` covering the range in order. Every step and
// kink of the commission lies between two pieces; a daily plan's are flat
// pieces, one per tier and step. Fails if any amount of the range overflows.
Outcome<std::vector<CommissionPiece>, TradeOverflow> commission_pieces(const Participants& participants,
                                                                       int row, AmountRange range);

// The stretches of the range, in order and apart, where broker `row`'s
// commission leaves the money range; 0 <= range.from.
std::vector<AmountRange> overflow_stretches(const BrokerTable& table, int row, AmountRange range);
std::vector<AmountRange> overflow_stretches(const Participants& participants, int row, AmountRange range);

// For every whole-yen amount of the range, the broker with the lowest
// trade_commission (a tie goes to the lowest row), as the maximal runs of
// amounts that share it, in order. Exact for every amount, rounding included,
// without trying every amount. Fails, naming the lowest such row, if any
// broker's commission overflows anywhere in the range.
// Among brokers and daily plans alike, `row` is a participant's index.
Outcome<std::vector<CheapestRun>, TradeOverflow> cheapest_runs(const Participants& participants,
                                                               AmountRange range);

} // namespace fee
