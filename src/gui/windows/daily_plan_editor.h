#pragma once

#include <QStringList>
#include <optional>

#include "core/editing/daily_plan_texts.h"
#include "gui/windows/dialog.h"

class QLabel;
class QLineEdit;
class QTableWidget;

namespace fee::ui {

class Prompter;

// One daily flat plan in an editor: its name, yearly fee, tiers (up to and
// fee, rows added and removed), the step above the last tier and the cap,
// with the fee of a day of ¥500,000, ¥1,000,000, ¥3,000,000 and ¥10,000,000
// shown as the fields are typed. OK stores nothing until every field
// converts: a field that does not is named, as a bad box of the main window
// is, and gets the focus.
class DailyPlanEditor : public Dialog {
    Q_OBJECT
public:
    // `others`: the names of the other plans, which this one may not take.
    DailyPlanEditor(const DailyPlanTexts& texts, QStringList others, Prompter& prompter,
                    QWidget* parent = nullptr);

    // The plan as OK took it; nothing before.
    const std::optional<DailyPlan>& plan() const { return plan_; }

private:
    DailyPlanTexts texts() const;
    void add_tier(const QString& up_to = {}, const QString& fee = {});
    void remove_tier();
    void update_preview();
    void submit();
    QWidget* field_box(const PlanFieldError& error) const;

    QStringList others_;
    Prompter& prompter_;
    std::optional<DailyPlan> plan_;
    QLineEdit* name_box_;
    QLineEdit* yearly_fee_box_;
    QTableWidget* tier_grid_;
    QLineEdit* per_box_;
    QLineEdit* per_fee_box_;
    QLineEdit* maximum_box_;
    QLabel* preview_;
};

} // namespace fee::ui
