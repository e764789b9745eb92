#include "gui/windows/daily_plans_window.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/document/data_document.h"
#include "core/editing/daily_plan_texts.h"
#include "core/money/number_text.h"
#include "gui/app/prompter.h"
#include "gui/layout/ui_font.h"
#include "gui/windows/close_answers.h"
#include "gui/windows/daily_plan_editor.h"

namespace fee::ui {
namespace {

// A plan's line in the list: its name, then what it charges at a glance.
QString summary(const DailyPlan& plan)
{
    QStringList tiers;
    for (const DailyTier& t : plan.tiers)
        tiers << QStringLiteral("%1 まで %2")
                     .arg(currency_form(Money::from_whole_yen(t.up_to)), currency_form(t.fee));
    QString line = plan.name + QStringLiteral("　") + tiers.join(QStringLiteral("、"));
    if (plan.above)
        line +=
            QStringLiteral("、以後 %1 ごとに %2")
                .arg(currency_form(Money::from_whole_yen(plan.above->per)), currency_form(plan.above->fee));
    if (plan.maximum != Money{})
        line += QStringLiteral("（上限 %1）").arg(currency_form(plan.maximum));
    return line;
}

// The document's questions when the plans are saved, for a window that closes
// rather than a program that ends; nothing else is lost by not saving them.
class PlanAnswers : public SaveAnswers {
public:
    explicit PlanAnswers(Prompter& prompter)
        : SaveAnswers(prompter, QStringLiteral("保存しないで閉じる"),
                      QStringLiteral("プランの変更は保存できません。"))
    {
    }
    bool confirm_discard(const LostChanges&) override { return true; }
};

} // namespace

DailyPlansWindow::DailyPlansWindow(DataDocument& document, Prompter& prompter, QWidget* parent)
    : Dialog(parent), document_(document), prompter_(prompter), plans_(document.daily_plans())
{
    setObjectName(QStringLiteral("daily_plans_window"));
    setWindowTitle(QStringLiteral("1日定額のプラン"));
    setFont(proportional_gothic());

    plan_list_ = new QListWidget(this);
    plan_list_->setObjectName(QStringLiteral("plan_list"));
    plan_list_->setAccessibleName(QStringLiteral("1日定額のプランの一覧"));
    add_button_ = new QPushButton(QStringLiteral("追加(&A)..."), this);
    add_button_->setObjectName(QStringLiteral("add_plan_button"));
    edit_button_ = new QPushButton(QStringLiteral("編集(&E)..."), this);
    edit_button_->setObjectName(QStringLiteral("edit_plan_button"));
    remove_button_ = new QPushButton(QStringLiteral("削除(&D)"), this);
    remove_button_->setObjectName(QStringLiteral("remove_plan_button"));
    for (QPushButton* b : {add_button_, edit_button_, remove_button_})
        b->setAutoDefault(false);
    connect(add_button_, &QPushButton::clicked, this, &DailyPlansWindow::add_plan);
    connect(edit_button_, &QPushButton::clicked, this, &DailyPlansWindow::edit_plan);
    connect(remove_button_, &QPushButton::clicked, this, &DailyPlansWindow::remove_plan);
    connect(plan_list_, &QListWidget::itemActivated, this, &DailyPlansWindow::edit_plan);

    auto* note = new QLabel(this);
    note->setObjectName(QStringLiteral("plans_note"));
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    const bool refused = !document.plans_refusal().empty();
    note->setText(refused
                      ? QString::fromStdString(document.plans_refusal()) +
                            QStringLiteral("\nファイルを直すまで、プランは変えられません。")
                      : QStringLiteral("1 日の約定代金の合計で手数料が決まるプランです。比較では 1 回の取引を"
                                       "1 日として、証券会社と並べて試算します。"));
    for (QPushButton* b : {add_button_, edit_button_, remove_button_})
        b->setEnabled(!refused);

    auto* side = new QVBoxLayout;
    side->addWidget(add_button_);
    side->addWidget(edit_button_);
    side->addWidget(remove_button_);
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(plan_list_, 1);
    middle->addLayout(side);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DailyPlansWindow::save_and_close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(middle);
    layout->addWidget(buttons);
    fill_list(0);
    resize(640, 360);
}

void DailyPlansWindow::fill_list(int current)
{
    plan_list_->clear();
    for (const DailyPlan& plan : plans_)
        plan_list_->addItem(summary(plan));
    plan_list_->setCurrentRow(std::min(current, plan_list_->count() - 1));
    const bool any = plan_list_->count() > 0 && document_.plans_refusal().empty();
    edit_button_->setEnabled(any);
    remove_button_->setEnabled(any);
}

QStringList DailyPlansWindow::names_except(int row) const
{
    QStringList names;
    for (int i = 0; i < static_cast<int>(plans_.size()); ++i)
        if (i != row)
            names << plans_[static_cast<std::size_t>(i)].name;
    return names;
}

void DailyPlansWindow::add_plan()
{
    if (static_cast<int>(plans_.size()) >= kMaxDailyPlans) {
        prompter_.inform(QStringLiteral("1日定額のプランは %1 件までです。").arg(kMaxDailyPlans));
        return;
    }
    DailyPlanEditor editor(
        DailyPlanTexts{
            {}, QStringLiteral("0"), {QStringLiteral("500,000")}, {QStringLiteral("0")}, {}, {}, {}},
        names_except(-1), prompter_, this);
    if (editor.exec() != QDialog::Accepted || !editor.plan())
        return;
    plans_.push_back(*editor.plan());
    fill_list(static_cast<int>(plans_.size()) - 1);
}

void DailyPlansWindow::edit_plan()
{
    const int row = plan_list_->currentRow();
    if (row < 0 || !document_.plans_refusal().empty())
        return;
    DailyPlanEditor editor(daily_plan_texts(plans_[static_cast<std::size_t>(row)]), names_except(row),
                           prompter_, this);
    if (editor.exec() != QDialog::Accepted || !editor.plan())
        return;
    plans_[static_cast<std::size_t>(row)] = *editor.plan();
    fill_list(row);
}

void DailyPlansWindow::remove_plan()
{
    const int row = plan_list_->currentRow();
    if (row < 0)
        return;
    if (prompter_.ask(
            QStringLiteral("1日定額「%1」を削除しますか？").arg(plans_[static_cast<std::size_t>(row)].name),
            {QStringLiteral("削除"), QStringLiteral("キャンセル")}) != 0)
        return;
    plans_.erase(plans_.begin() + row);
    fill_list(row);
}

void DailyPlansWindow::save_and_close()
{
    PlanAnswers answers(prompter_);
    if (document_.commit_daily_plans(plans_, answers) != DataDocument::Closed::Cancelled)
        accept();
}

} // namespace fee::ui
