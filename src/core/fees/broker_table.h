#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/money/money.h"

namespace fee {

inline constexpr int kMaxBrokers = 21; // indexes 0..20
inline constexpr int kBrackets = 6;    // five bounded brackets and the open top one
inline constexpr int kBoundedBrackets = 5;
inline constexpr int kTopBracket = 5;
// The editor adds brokers up to row 19; only a data file fills row 20.
inline constexpr int kEditorLastBroker = 19;

// One bracket of a commission schedule.
struct Bracket {
    Money upper_bound; // inclusive; the top bracket has none and keeps 0
    float rate = 0.0f; // a fraction of the amount: 0.01 is 1 %
    Money add_on;      // added to every trade of the bracket

    bool operator==(const Bracket&) const = default;
};

// One broker as compare.dat holds it.
struct Broker {
    // The data file's own CP932 bytes, so that a name survives a read and a
    // write unchanged; see codepage.h for showing and typing it.
    std::string name;
    Money yearly_fee;
    Money maximum; // per trade; 0 means none
    Money minimum; // per trade; 0 means none
    std::array<Bracket, kBrackets> brackets{};

    bool operator==(const Broker&) const = default;
};

// The brokers the user keeps, exactly what compare.dat holds. One instance is
// created at start and handed to every window. Every row index is checked: a
// row outside 0..20 throws std::out_of_range, a programming error that no caller
// is meant to reach. Bracket indexes from outside go through brackets.at().
class BrokerTable {
public:
    Broker& broker(int row) { return rows_.at(static_cast<std::size_t>(row)); }
    const Broker& broker(int row) const { return rows_.at(static_cast<std::size_t>(row)); }

    // The table is never empty: brokers 0..last_broker() are in use. The
    // file holds this index, not the count.
    int last_broker() const { return last_broker_; }
    void set_last_broker(int last);
    int broker_count() const { return last_broker_ + 1; }

private:
    std::uint8_t last_broker_ = 0;
    std::array<Broker, kMaxBrokers> rows_{};
};

} // namespace fee
