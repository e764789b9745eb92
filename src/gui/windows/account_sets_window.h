#pragma once

#include <QAction>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <vector>

#include "core/analysis/accounts.h"

namespace fee {
class Participants;
}

namespace fee::ui {

// 口座の組み合わせ: for 1, 2 and 3 accounts, the set of brokers with the lowest
// yearly total for the plan, its total, what it saves against the best single
// broker, and which member takes each row of the plan. Shows what it is given
// and changes nothing; コピー (Ctrl+C) puts it on the clipboard tab-separated.
class AccountSetsWindow : public QWidget {
    Q_OBJECT
public:
    AccountSetsWindow(const Participants& table, const TradePlan& plan, const std::vector<AccountSet>& sets,
                      QWidget* parent = nullptr);

private:
    void fill(const Participants& table, const TradePlan& plan, const std::vector<AccountSet>& sets);
    void copy_sets();

    QTableWidget account_sets_{this};
    QPushButton close_button_{this};
    QAction copy_action_{this};
};

} // namespace fee::ui
