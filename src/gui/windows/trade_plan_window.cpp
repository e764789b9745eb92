#include "gui/windows/trade_plan_window.h"

#include "gui/app/prompter.h"
#include "gui/layout/box_text.h"
#include "gui/layout/text_fit.h"
#include "gui/layout/twips.h"
#include "gui/layout/ui_font.h"

namespace fee::ui {

namespace {

// Design-time texts; Calculation puts its preset in all ten before showing.
constexpr std::array<const char*, kPlanRows> kDesignAmounts = {"500,000", "1,000,000", "5,000,000",
                                                               "20,000,000", "100,000,000"};
constexpr std::array<const char*, kPlanRows> kDesignCounts = {"20", "10", "3", "0", "0"};

} // namespace

Form_sl::Form_sl(Prompter& prompter, QWidget* parent) : Dialog(parent), prompter_(prompter)
{
    setObjectName(QStringLiteral("Form_sl"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("どのぐらい株取引をしますか"));
    setFont(proportional_gothic());
    setFixedSize(twips(5175), twips(2850));

    Label1_.setObjectName(QStringLiteral("Label1"));
    Label1_.setText(QStringLiteral("１年間で、予想される株売買を記入して下さい"));
    place(&Label1_, 120, 120, 3615, 255);
    for (int r = 0; r < kPlanRows; ++r)
        place_row(r);

    key_cal2_.setObjectName(QStringLiteral("key_cal2"));
    key_cal2_.setText(QStringLiteral("試算(&D)"));
    // Enter in a box does not start a computation behind the user's back.
    key_cal2_.setAutoDefault(false);
    place(&key_cal2_, 1680, 2400, 1815, 375);
    connect(&key_cal2_, &QPushButton::clicked, this, &Form_sl::key_cal2_Click);

    set_tab_order();
    l_sm_money_[0].setFocus();
    fit_texts(*this);
}

void Form_sl::place_row(int r)
{
    const int top = 600 + 360 * r;
    for (QLineEdit* box : {&l_sm_money_[r], &l_sl_num_[r]}) {
        box->setParent(this);
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    l_sm_money_[r].setObjectName(indexed("l_sm_money", r));
    l_sm_money_[r].setAccessibleName(QStringLiteral("%1 行目の金額").arg(r + 1));
    l_sm_money_[r].setText(QString::fromLatin1(kDesignAmounts[r]));
    place(&l_sm_money_[r], 120, top, 1095, 270);

    Label2_[r].setParent(this);
    Label2_[r].setObjectName(indexed("Label2", r));
    Label2_[r].setText(QStringLiteral("円の取引を１年に"));
    place(&Label2_[r], 1320, top, 1335, 255);

    l_sl_num_[r].setObjectName(indexed("l_sl_num", r));
    l_sl_num_[r].setAccessibleName(QStringLiteral("%1 行目の回数").arg(r + 1));
    l_sl_num_[r].setText(QString::fromLatin1(kDesignCounts[r]));
    place(&l_sl_num_[r], 2760, top, 615, 270);

    Label3_[r].setParent(this);
    Label3_[r].setObjectName(indexed("Label3", r));
    Label3_[r].setText(QStringLiteral("回ぐらいするでしょう"));
    place(&Label3_[r], 3480, top, 1575, 255);
}

// Amounts top to bottom, then counts, then the button.
void Form_sl::set_tab_order()
{
    QWidget* previous = &l_sm_money_[0];
    for (int r = 1; r < kPlanRows; ++r) {
        setTabOrder(previous, &l_sm_money_[r]);
        previous = &l_sm_money_[r];
    }
    for (int r = 0; r < kPlanRows; ++r) {
        setTabOrder(previous, &l_sl_num_[r]);
        previous = &l_sl_num_[r];
    }
    setTabOrder(previous, &key_cal2_);
}

void Form_sl::set_plan_texts(const PlanTexts& texts)
{
    for (std::size_t r = 0; r < kPlanRows; ++r) {
        set_box_text(l_sm_money_[r], texts.amount[r]);
        set_box_text(l_sl_num_[r], texts.count[r]);
    }
}

void Form_sl::key_cal2_Click()
{
    PlanTexts texts;
    for (std::size_t r = 0; r < kPlanRows; ++r) {
        texts.amount[r] = l_sm_money_[r].text();
        texts.count[r] = l_sl_num_[r].text();
    }
    const auto plan = parse_plan(texts);
    if (plan) {
        emit plan_entered(plan.value());
        return;
    }
    const PlanBoxError& bad = plan.error();
    prompter_.inform(QString::fromStdString(bad.message()));
    select_for_retyping((bad.is_count ? l_sl_num_ : l_sm_money_)[static_cast<std::size_t>(bad.row)]);
}

} // namespace fee::ui
