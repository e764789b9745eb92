#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "broker_table/money.h"

namespace fee {

inline constexpr int kTableRows = 21; // rows 0..20
inline constexpr int kBrackets = 7;   // brackets 0..6; 0..5 are used
inline constexpr int kBoundedBrackets = 5;
inline constexpr int kTopBracket = 5;
// The editor adds brokers up to index 19; only a data file fills row 20.
inline constexpr int kEditorLastRow = 19;

// The program-wide broker table and style flags. One instance is created at
// start and handed to every window. Every index is checked: a row above 20 or
// a bracket above 6 throws std::out_of_range, a programming error that no
// caller is meant to reach.
//
// Names are the data file's own CP932 bytes, so that they survive a read and a
// write unchanged; see codepage.h for showing and typing them.
class BrokerTable {
public:
    // One broker; bracket arrays are indexed 0..6.
    struct Row {
        std::string name;
        Money fix;
        Money max;
        Money mini;
        Money cost;
        std::array<Money, kBrackets> kubun{};
        std::array<float, kBrackets> wariai{};
        std::array<Money, kBrackets> add{};
    };

    Row& row(int r) { return rows_.at(r); }
    const Row& row(int r) const { return rows_.at(r); }

    std::uint8_t com_last() const { return com_last_; }
    void set_com_last(std::uint8_t last);
    int broker_count() const { return com_last_ + 1; }

    std::string& com_name(int row) { return rows_.at(row).name; }
    const std::string& com_name(int row) const { return rows_.at(row).name; }
    Money& com_fix(int row) { return rows_.at(row).fix; }
    Money com_fix(int row) const { return rows_.at(row).fix; }
    Money& com_max(int row) { return rows_.at(row).max; }
    Money com_max(int row) const { return rows_.at(row).max; }
    Money& com_mini(int row) { return rows_.at(row).mini; }
    Money com_mini(int row) const { return rows_.at(row).mini; }
    Money& com_cost(int row) { return rows_.at(row).cost; }
    Money com_cost(int row) const { return rows_.at(row).cost; }

    Money& com_kubun(int row, int bracket) { return rows_.at(row).kubun.at(bracket); }
    Money com_kubun(int row, int bracket) const { return rows_.at(row).kubun.at(bracket); }
    float& com_wariai(int row, int bracket) { return rows_.at(row).wariai.at(bracket); }
    float com_wariai(int row, int bracket) const { return rows_.at(row).wariai.at(bracket); }
    Money& com_add(int row, int bracket) { return rows_.at(row).add.at(bracket); }
    Money com_add(int row, int bracket) const { return rows_.at(row).add.at(bracket); }

    // Style flags of the questionnaire: nonzero means high amounts / frequent trading.
    std::uint8_t sw_money = 0;
    std::uint8_t sw_time = 0;

private:
    std::uint8_t com_last_ = 0;
    std::array<Row, kTableRows> rows_{};
};

} // namespace fee
