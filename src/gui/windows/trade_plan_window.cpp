#include "gui/windows/trade_plan_window.h"

#include <QLineEdit>
#include <QPushButton>

#include "gui/app/prompter.h"
#include "gui/layout/box_text.h"
#include "gui/layout/form.h"
#include "gui/layout/text_fit.h"
#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {

namespace {

const ControlSpec kDesign[] = {
    {ControlKind::Label,
     "plan_heading",
     QStringLiteral("１年間で、予想される株売買を記入して下さい"),
     {120, 120, 3615, 255}},
    {ControlKind::PlanBox,
     "amount_box",
     {},
     {120, 600, 1095, 270},
     nullptr,
     {},
     QStringLiteral("%1 行目の金額"),
     kPlanRows,
     360},
    {ControlKind::Label,
     "amount_label",
     QStringLiteral("円の取引を１年に"),
     {1320, 600, 1335, 255},
     nullptr,
     {},
     {},
     kPlanRows,
     360},
    {ControlKind::PlanBox,
     "count_box",
     {},
     {2760, 600, 615, 270},
     nullptr,
     {},
     QStringLiteral("%1 行目の回数"),
     kPlanRows,
     360},
    {ControlKind::Label,
     "count_label",
     QStringLiteral("回ぐらいするでしょう"),
     {3480, 600, 1575, 255},
     nullptr,
     {},
     {},
     kPlanRows,
     360},
    {ControlKind::Button, "submit_button", QStringLiteral("試算(&D)"), {1680, 2400, 1815, 375}},
};
constexpr Twips kWindow = {0, 0, 5175, 2850};

// Design-time texts; Calculation puts its preset in all ten before showing.
constexpr std::array<const char*, kPlanRows> kDesignAmounts = {"500,000", "1,000,000", "5,000,000",
                                                               "20,000,000", "100,000,000"};
constexpr std::array<const char*, kPlanRows> kDesignCounts = {"20", "10", "3", "0", "0"};

} // namespace

TradePlanWindow::TradePlanWindow(Prompter& prompter, QWidget* parent) : Dialog(parent), prompter_(prompter)
{
    set_fixed_frame(QStringLiteral("trade_plan_window"), QStringLiteral("どのぐらい株取引をしますか"),
                    kWindow.width, kWindow.height);

    const Form form(*this, kDesign);
    for (int r = 0; r < kPlanRows; ++r) {
        amount_boxes_[r] = form.get<QLineEdit>("amount_box", r);
        amount_boxes_[r]->setText(QString::fromLatin1(kDesignAmounts[r]));
        count_boxes_[r] = form.get<QLineEdit>("count_box", r);
        count_boxes_[r]->setText(QString::fromLatin1(kDesignCounts[r]));
    }
    submit_button_ = form.get<QPushButton>("submit_button");
    connect(submit_button_, &QPushButton::clicked, this, &TradePlanWindow::submit_plan);

    set_tab_order();
    amount_boxes_[0]->setFocus();
    fit_texts(*this);
}

// Amounts top to bottom, then counts, then the button.
void TradePlanWindow::set_tab_order()
{
    std::vector<QWidget*> order(amount_boxes_.begin(), amount_boxes_.end());
    order.insert(order.end(), count_boxes_.begin(), count_boxes_.end());
    order.push_back(submit_button_);
    chain_tab_order(order);
}

void TradePlanWindow::set_plan_texts(const PlanTexts& texts)
{
    for (std::size_t r = 0; r < kPlanRows; ++r) {
        set_box_text(*amount_boxes_[r], texts.amount[r]);
        set_box_text(*count_boxes_[r], texts.count[r]);
    }
}

void TradePlanWindow::submit_plan()
{
    PlanTexts texts;
    for (std::size_t r = 0; r < kPlanRows; ++r) {
        texts.amount[r] = amount_boxes_[r]->text();
        texts.count[r] = count_boxes_[r]->text();
    }
    const auto plan = parse_plan(texts);
    if (plan) {
        emit plan_entered(plan.value());
        return;
    }
    const PlanBoxError& bad = plan.error();
    prompter_.inform(QString::fromStdString(bad.message()));
    select_for_retyping(*(bad.is_count ? count_boxes_ : amount_boxes_)[static_cast<std::size_t>(bad.row)]);
}

} // namespace fee::ui
