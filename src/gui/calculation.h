#pragma once

#include <optional>

#include "core/commission.h"

class QDialog;

namespace fee {

class BrokerTable;

// One calculation, started by 試算(&C): the amount question, the frequency
// question, the trade plan filled with the preset for both answers, and a
// result grid above the plan for every 試算(&D). Each window is modal with no
// owner, so the main window takes no input until run() returns. The windows
// know nothing of each other; this class opens and closes them in turn and
// hands each one what it needs. The table is only read.
class Calculation {
public:
    explicit Calculation(const BrokerTable& table) : table_(table) {}

    // Returns when the last window has closed: a question closed unanswered,
    // the trade plan closed, or 閉じる(&X) in the result window.
    void run();

    // The answers of this run (empty when the question was closed unanswered)
    // and the costs of its last complete computation.
    std::optional<bool> high_amounts() const { return high_amounts_; }
    std::optional<bool> frequent() const { return frequent_; }
    const YearlyCosts& last_costs() const { return last_costs_; }

private:
    void show_result(QDialog& plan, const TradePlan& trades, const YearlyCosts& costs);

    const BrokerTable& table_;
    std::optional<bool> high_amounts_;
    std::optional<bool> frequent_;
    YearlyCosts last_costs_;
};

} // namespace fee
