#include "gui/windows/daily_plan_editor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/fees/daily_plan.h"
#include "core/money/number_text.h"
#include "gui/app/prompter.h"
#include "gui/layout/box_text.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {
namespace {

// The days the preview prices: from a small day to a busy one.
constexpr std::int64_t kPreviewDays[] = {500'000, 1'000'000, 3'000'000, 10'000'000};

QLineEdit* amount_box(const QString& accessible_name, const QString& text, QWidget* parent)
{
    auto* box = new QLineEdit(text, parent);
    box->setAccessibleName(accessible_name);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Numbers only: typing goes straight into the box, never through an IME.
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    return box;
}

QPushButton* button(const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

DailyPlanEditor::DailyPlanEditor(const DailyPlanTexts& texts, QStringList others, Prompter& prompter,
                                 QWidget* parent)
    : Dialog(parent), others_(std::move(others)), prompter_(prompter)
{
    setObjectName(QStringLiteral("daily_plan_editor"));
    setWindowTitle(QStringLiteral("1日定額のプランの編集"));
    setFont(proportional_gothic());

    name_box_ = new QLineEdit(texts.name, this);
    name_box_->setObjectName(QStringLiteral("plan_name_box"));
    name_box_->setAccessibleName(QStringLiteral("プランの名前"));
    yearly_fee_box_ = amount_box(QStringLiteral("年間の維持費"), texts.yearly_fee, this);
    yearly_fee_box_->setObjectName(QStringLiteral("plan_yearly_fee_box"));

    tier_grid_ = new QTableWidget(0, 2, this);
    tier_grid_->setObjectName(QStringLiteral("tier_grid"));
    tier_grid_->setAccessibleName(QStringLiteral("1 日の約定代金の段"));
    tier_grid_->setHorizontalHeaderLabels(
        {QStringLiteral("1 日の約定代金（まで）"), QStringLiteral("手数料")});
    tier_grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tier_grid_->verticalHeader()->hide();
    for (int r = 0; r < texts.up_to.size(); ++r)
        add_tier(texts.up_to[r], texts.fees.value(r));
    auto* add_tier_button = button(QStringLiteral("段を追加(&T)"), this);
    add_tier_button->setObjectName(QStringLiteral("add_tier_button"));
    auto* remove_tier_button = button(QStringLiteral("段を削除(&D)"), this);
    remove_tier_button->setObjectName(QStringLiteral("remove_tier_button"));
    connect(add_tier_button, &QPushButton::clicked, this, [this] { add_tier(); });
    connect(remove_tier_button, &QPushButton::clicked, this, &DailyPlanEditor::remove_tier);

    per_box_ = amount_box(QStringLiteral("最後の段より上の刻み"), texts.per, this);
    per_box_->setObjectName(QStringLiteral("per_box"));
    per_fee_box_ = amount_box(QStringLiteral("刻みごとの手数料"), texts.per_fee, this);
    per_fee_box_->setObjectName(QStringLiteral("per_fee_box"));
    maximum_box_ = amount_box(QStringLiteral("1 日の手数料の上限"), texts.maximum, this);
    maximum_box_->setObjectName(QStringLiteral("plan_maximum_box"));
    maximum_box_->setToolTip(QStringLiteral("空か 0 は上限なし"));

    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("plan_preview"));
    preview_->setAccessibleName(QStringLiteral("1 日の手数料の例"));
    preview_->setTextFormat(Qt::PlainText);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("名前(&N)"), name_box_);
    form->addRow(QStringLiteral("年間の維持費(&Y)"), yearly_fee_box_);
    auto* tier_buttons = new QHBoxLayout;
    tier_buttons->addWidget(add_tier_button);
    tier_buttons->addWidget(remove_tier_button);
    tier_buttons->addStretch();
    auto* step = new QHBoxLayout;
    step->addWidget(per_box_);
    step->addWidget(new QLabel(QStringLiteral("円ごとに"), this));
    step->addWidget(per_fee_box_);
    step->addWidget(new QLabel(QStringLiteral("円"), this));
    auto* step_label = new QLabel(QStringLiteral("それ以上(&S)"), this);
    step_label->setBuddy(per_box_);
    form->addRow(step_label, step);
    form->addRow(QStringLiteral("上限(&M)"), maximum_box_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DailyPlanEditor::submit);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(
        new QLabel(QStringLiteral("段（1 日の約定代金の合計がこの額までならこの手数料）"), this));
    layout->addWidget(tier_grid_);
    layout->addLayout(tier_buttons);
    layout->addWidget(preview_);
    layout->addWidget(buttons);

    for (QLineEdit* box : {name_box_, yearly_fee_box_, per_box_, per_fee_box_, maximum_box_})
        connect(box, &QLineEdit::textChanged, this, &DailyPlanEditor::update_preview);
    connect(tier_grid_, &QTableWidget::itemChanged, this, &DailyPlanEditor::update_preview);
    update_preview();
    name_box_->setFocus();
}

DailyPlanTexts DailyPlanEditor::texts() const
{
    DailyPlanTexts t{name_box_->text(),    yearly_fee_box_->text(), {}, {}, per_box_->text(),
                     per_fee_box_->text(), maximum_box_->text()};
    for (int r = 0; r < tier_grid_->rowCount(); ++r) {
        t.up_to << (tier_grid_->item(r, 0) ? tier_grid_->item(r, 0)->text() : QString());
        t.fees << (tier_grid_->item(r, 1) ? tier_grid_->item(r, 1)->text() : QString());
    }
    return t;
}

void DailyPlanEditor::add_tier(const QString& up_to, const QString& fee)
{
    const int r = tier_grid_->rowCount();
    tier_grid_->insertRow(r);
    for (const auto& [column, text] : {std::pair(0, up_to), std::pair(1, fee)}) {
        auto* item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tier_grid_->setItem(r, column, item);
    }
    tier_grid_->setCurrentCell(r, 0);
}

void DailyPlanEditor::remove_tier()
{
    if (tier_grid_->rowCount() > 0)
        tier_grid_->removeRow(tier_grid_->currentRow() >= 0 ? tier_grid_->currentRow()
                                                            : tier_grid_->rowCount() - 1);
    update_preview();
}

// What a day would cost, while the user types; a dash until every field converts.
void DailyPlanEditor::update_preview()
{
    const auto plan = daily_plan_from_texts(texts(), {});
    QStringList days;
    for (const std::int64_t total : kPreviewDays) {
        const auto fee = plan ? day_fee(plan.value(), Money::from_whole_yen(total)) : std::nullopt;
        days << QStringLiteral("%1 の日 %2")
                    .arg(currency_form(Money::from_whole_yen(total)),
                         fee ? currency_form(*fee) : QStringLiteral("—"));
    }
    preview_->setText(QStringLiteral("1 日の手数料: ") + days.join(QStringLiteral("、")));
}

void DailyPlanEditor::submit()
{
    const auto plan = daily_plan_from_texts(texts(), others_);
    if (plan) {
        plan_ = plan.value();
        accept();
        return;
    }
    prompter_.inform(QString::fromStdString(plan.error().message));
    QWidget* box = field_box(plan.error());
    if (auto* text = qobject_cast<QLineEdit*>(box))
        select_for_retyping(*text);
    else if (box)
        box->setFocus();
}

QWidget* DailyPlanEditor::field_box(const PlanFieldError& error) const
{
    using Field = PlanFieldError::Field;
    switch (error.field) {
    case Field::Name:
        return name_box_;
    case Field::YearlyFee:
        return yearly_fee_box_;
    case Field::UpTo:
    case Field::Fee:
        if (error.row < tier_grid_->rowCount())
            tier_grid_->setCurrentCell(error.row, error.field == Field::UpTo ? 0 : 1);
        return tier_grid_;
    case Field::Per:
        return per_box_;
    case Field::PerFee:
        return per_fee_box_;
    case Field::Maximum:
        return maximum_box_;
    }
    return nullptr;
}

} // namespace fee::ui
