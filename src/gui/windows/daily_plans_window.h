#pragma once

#include "core/fees/daily_plan.h"
#include "gui/windows/dialog.h"

class QListWidget;
class QPushButton;

namespace fee {
class DataDocument;
}

namespace fee::ui {

class Prompter;

// The daily flat plans (1日定額) beside compare.dat: listed, with 追加, 編集
// and 削除; OK writes them through the document (only when they changed, by
// compare.dat's own save rules, compare.dat itself untouched), キャンセル
// keeps the file as it was. A plan file the document refused is shown
// read-only, with the reason.
class DailyPlansWindow : public Dialog {
    Q_OBJECT
public:
    DailyPlansWindow(DataDocument& document, Prompter& prompter, QWidget* parent = nullptr);

private:
    // The plans' names but the one at `row` (-1: all), which an edited plan must not take.
    QStringList names_except(int row) const;
    void add_plan();
    void edit_plan();
    void remove_plan();
    void save_and_close();
    void fill_list(int current);

    DataDocument& document_;
    Prompter& prompter_;
    DailyPlans plans_; // what OK saves
    QListWidget* plan_list_;
    QPushButton* add_button_;
    QPushButton* edit_button_;
    QPushButton* remove_button_;
};

} // namespace fee::ui
